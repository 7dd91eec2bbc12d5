// The message box, with USER32 loaded only when a message is shown: a process
// that has loaded USER32 makes WinExec wait for the started program.
#include <windows.h>

#include "windows_services.h"

namespace WindowsServices {

void ShowMessage(const char* text, const char* caption) {
  using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (user32 == nullptr) return;
  const auto messageBox = reinterpret_cast<MessageBoxFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxA")));
  if (messageBox != nullptr) messageBox(nullptr, text, caption, MB_OK);
  FreeLibrary(user32);
}

}  // namespace WindowsServices
