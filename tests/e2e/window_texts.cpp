// Prints the texts a top-level window shows, so a test can read a message
// box that a screenshot only pictures: "caption: TEXT", then "CLASS: TEXT"
// for each child window. With --where, each line ends in " @ L,T,R,B", the
// window's rectangle on the screen, for clicking it. With --desktop, looks
// on that desktop (a Wine virtual desktop) instead of the default one.
// Exits 1 when no window has that caption.
//
//   window_texts [--where] [--desktop NAME] CAPTION
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool where = false;

void PrintWindow(HWND window, const char* label) {
  char text[1024];
  GetWindowTextA(window, text, sizeof text);
  std::printf("%s: %s", label, text);
  RECT rect;
  if (where && GetWindowRect(window, &rect)) {
    std::printf(" @ %ld,%ld,%ld,%ld", rect.left, rect.top, rect.right,
                rect.bottom);
  }
  std::printf("\n");
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  char className[256];
  GetClassNameA(child, className, sizeof className);
  PrintWindow(child, className);
  return TRUE;
}

int Usage() {
  std::fprintf(stderr,
               "usage: window_texts [--where] [--desktop NAME] CAPTION\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const char* desktopName = nullptr;
  int next = 1;
  for (; next < argc - 1; ++next) {
    if (std::strcmp(argv[next], "--where") == 0) {
      where = true;
    } else if (std::strcmp(argv[next], "--desktop") == 0 && next + 2 < argc) {
      desktopName = argv[++next];
    } else {
      return Usage();
    }
  }
  if (next != argc - 1) return Usage();

  if (desktopName != nullptr) {
    HDESK desktop = OpenDesktopA(desktopName, 0, FALSE, GENERIC_ALL);
    if (desktop == nullptr || !SetThreadDesktop(desktop)) {
      std::fprintf(stderr, "window_texts: no desktop %s\n", desktopName);
      return 2;
    }
  }
  HWND window = FindWindowA(nullptr, argv[next]);
  if (window == nullptr) return 1;
  PrintWindow(window, "caption");
  EnumChildWindows(window, PrintChild, 0);
  return 0;
}
