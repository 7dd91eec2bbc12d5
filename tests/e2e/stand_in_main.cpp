// Stands in for the product's main program: appends the raw command line it
// was started with, as UTF-8, to "<its own file>.log", one line per start,
// then ends at once.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) {
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], size, nullptr,
                        nullptr);
  }
  return bytes;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t ownPath[32768];
  const DWORD length = GetModuleFileNameW(nullptr, ownPath, 32768 - 5);
  if (length == 0) return 1;
  lstrcatW(ownPath, L".log");

  // Appends are atomic, so starts that overlap never mix their lines.
  HANDLE log =
      CreateFileW(ownPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  const std::string line = Utf8(GetCommandLineW()) + "\n";
  DWORD written = 0;
  WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
  CloseHandle(log);
  return 0;
}
