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

  // Wine appends by finding the end and then writing there, so two starts
  // at once can write over each other's line: one writer at a time. A
  // writer that died leaves the mutex abandoned, which still hands it over.
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"VellumarkStandInLog");
  if (turn == nullptr) return 1;
  WaitForSingleObject(turn, INFINITE);
  HANDLE log =
      CreateFileW(ownPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) {
    ReleaseMutex(turn);
    return 1;
  }
  const std::string line = Utf8(GetCommandLineW()) + "\n";
  DWORD written = 0;
  WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
  CloseHandle(log);
  ReleaseMutex(turn);
  CloseHandle(turn);
  return 0;
}
