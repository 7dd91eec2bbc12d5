// The shell's file icon; only the applet links this, so only it imports
// SHELL32.
#include <windows.h>
// <shellapi.h> after <windows.h>
#include <shellapi.h>

#include "windows_services.h"

namespace WindowsServices {

Handle FileIcon(const char* path) {
  SHFILEINFOA info = {};
  if (SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON) == 0) return 0;
  return reinterpret_cast<Handle>(info.hIcon);
}

}  // namespace WindowsServices
