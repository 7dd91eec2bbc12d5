// The least a Control Panel applet can do: the same answers as the shipped
// applet for a host that lists it, without reading the registry, a file or an
// icon.
#include <windows.h>
// <cpl.h> after <windows.h>
#include <cpl.h>

#include <cstring>

#include "control_panel.h"

extern "C" LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM, LPARAM record) {
  switch (message) {
    case CPL_INIT:
      return 1;
    case CPL_GETCOUNT:
      return 1;
    case CPL_NEWINQUIRE: {
      if (record == 0) return 0;
      NEWCPLINFOA* info = reinterpret_cast<NEWCPLINFOA*>(record);
      info->dwSize = sizeof *info;
      info->dwHelpContext = 0;
      info->lData = 0;
      info->hIcon = nullptr;
      std::memset(info->szName, 0, sizeof info->szName);
      std::memcpy(info->szName, EntryName, sizeof EntryName);
      std::memcpy(info->szInfo, EntryDescription, sizeof EntryDescription);
      info->szHelpFile[0] = 0;
      return 0;
    }
    default:
      return 0;
  }
}
