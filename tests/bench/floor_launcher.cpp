// The least a launcher can do: hand its own command-line tail, which already
// is the quoted program path and the arguments, to WinExec. Built like the
// shipped launcher, so the difference between the two is the launcher's own
// work.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLineTail, int) {
  WinExec(commandLineTail, SW_SHOWNORMAL);
  return 0;
}
