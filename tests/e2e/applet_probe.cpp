// Loads the applet as a Control Panel host does and sends it the messages
// named on the command line, printing each answer. Steps that wait for and
// create files let a test hold the applet loaded and called in this process
// while it changes the record and drives a second process on the same file.
//
//   applet_probe CPL-FILE STEP...
//     init         CPL_INIT, prints "init=N"
//     open         CPL_DBLCLK, prints "open=N"
//     signal:FILE  creates FILE
//     wait:FILE    waits until FILE exists (gives up after 300 s, exit 3)
// Exits 2 when the applet cannot be loaded.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using CplEntry = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);

constexpr UINT CplInit = 1;
constexpr UINT CplDblClk = 5;
constexpr UINT CplStop = 6;
constexpr UINT CplExit = 7;

bool WaitForFile(const char* path) {
  for (int tenths = 0; tenths < 3000; ++tenths) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

bool CreateMarker(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: applet_probe CPL-FILE STEP...\n");
    return 2;
  }
  HMODULE applet = LoadLibraryA(argv[1]);
  const auto entry = applet == nullptr
                         ? nullptr
                         : reinterpret_cast<CplEntry>(reinterpret_cast<void*>(
                               GetProcAddress(applet, "CPlApplet")));
  if (entry == nullptr) {
    std::fprintf(stderr, "applet_probe: cannot load %s\n", argv[1]);
    return 2;
  }

  for (int i = 2; i < argc; ++i) {
    const std::string step = argv[i];
    if (step == "init") {
      std::printf("init=%ld\n", entry(nullptr, CplInit, 0, 0));
    } else if (step == "open") {
      std::printf("open=%ld\n", entry(nullptr, CplDblClk, 0, 0));
    } else if (step.rfind("signal:", 0) == 0) {
      if (!CreateMarker(step.c_str() + 7)) return 3;
    } else if (step.rfind("wait:", 0) == 0) {
      if (!WaitForFile(step.c_str() + 5)) return 3;
    } else {
      std::fprintf(stderr, "applet_probe: unknown step %s\n", step.c_str());
      return 2;
    }
    std::fflush(stdout);
  }
  entry(nullptr, CplStop, 0, 0);
  entry(nullptr, CplExit, 0, 0);
  FreeLibrary(applet);
  return 0;
}
