#include "applet_state.h"

#include "product_record.h"

std::string MainProgramPath;
WindowsServices::Handle MainProgramIcon = 0;

void LoadAppletState() {
  try {
    MainProgramPath = ReadProductRecord();
    // Asked even for a missing file or an empty path: the shell decides.
    MainProgramIcon = WindowsServices::FileIcon(MainProgramPath.c_str());
  } catch (...) {
    // Whatever was set stays; the rest stays empty.
  }
}

void UnloadAppletState() { std::string().swap(MainProgramPath); }
