// Entry point of the windowless launcher.
#include <windows.h>

#include "engine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    Engine::StartUp();
    Engine::StartMainProgram();
  } catch (...) {
    // Nothing to report to: the launcher always ends with exit code 0.
  }
  return 0;
}
