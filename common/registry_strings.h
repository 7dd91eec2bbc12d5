// Registry string values as 8-bit text. Neither operation reports failure.
#pragma once

#include <string>

#include "windows_services.h"

// The value's bytes up to the first NUL, or empty text when anything fails.
std::string ReadRegString(WindowsServices::Handle root, const char* subKey,
                          const char* valueName);

// Writes the text as REG_SZ into an existing key; skipped when the key cannot
// be opened for writing. Never creates the key.
void WriteRegString(WindowsServices::Handle root, const char* subKey,
                    const char* valueName, const std::string& text);
