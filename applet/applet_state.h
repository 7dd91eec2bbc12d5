// What the applet knows about the main program while it is loaded.
#pragma once

#include <string>

#include "windows_services.h"

// Empty when no product record was found.
extern std::string MainProgramPath;
// The shell's icon for the main program, or 0. Handed to the Control Panel
// and never destroyed, so it stays valid while the library is loaded.
extern WindowsServices::Handle MainProgramIcon;

// Reads the product record and the icon. Never fails: what could not be read
// stays empty or 0.
void LoadAppletState();

// Releases the path; the icon is left to the process.
void UnloadAppletState();
