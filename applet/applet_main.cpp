// Entry points of the Control Panel applet library.
#include <windows.h>
// <cpl.h> after <windows.h>
#include <cpl.h>

#include <cstddef>

#include "applet_state.h"
#include "control_panel.h"

// The record layout written by the portable code is the real one.
static_assert(sizeof(NEWCPLINFOA) == EntryRecordSize, "record size");
static_assert(offsetof(NEWCPLINFOA, hIcon) == EntryRecordIconOffset, "hIcon");
static_assert(offsetof(NEWCPLINFOA, szName) == EntryRecordNameOffset, "name");
static_assert(offsetof(NEWCPLINFOA, szInfo) == EntryRecordInfoOffset, "info");
static_assert(offsetof(NEWCPLINFOA, szHelpFile) == EntryRecordHelpFileOffset,
              "help file");
static_assert(CPL_NEWINQUIRE == CplNewInquire && CPL_DBLCLK == CplDblClk,
              "message numbers");

// Nothing on attach: registry and shell calls under the loader lock can
// deadlock the host. The state is loaded on the first CPlApplet call.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) UnloadAppletState();
  return TRUE;
}

extern "C" LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM, LPARAM record) {
  try {
    // Thread-safe one-time initialisation, should calls ever overlap.
    static const bool loaded = (LoadAppletState(), true);
    (void)loaded;
    return AnswerControlPanel(message, reinterpret_cast<void*>(record));
  } catch (...) {
    return 0;
  }
}
