// The one boundary between the product logic and the operating system.
// The Windows build links thin pass-throughs to the Win32 calls; the native
// tests link a recording substitute. Nothing here needs <windows.h>.
#pragma once

#include <cstdint>
#include <string>

namespace WindowsServices {

// Registry keys and icons are opaque handles to the product logic.
using Handle = std::uintptr_t;

constexpr Handle LocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE
constexpr std::uint32_t KeyQueryValue = 0x0001;
constexpr std::uint32_t KeyWrite = 0x20006;
constexpr std::uint32_t RegSz = 1;
constexpr long Success = 0;

// Registry: RegOpenKeyExA (never creates), RegQueryValueExA, RegSetValueExA,
// RegCloseKey. A null data pointer asks only for the size.
long OpenKey(Handle root, const char* subKey, std::uint32_t access,
             Handle* key);
long QueryValue(Handle key, const char* valueName, std::uint32_t* type,
                unsigned char* data, std::uint32_t* size);
void SetValue(Handle key, const char* valueName, std::uint32_t type,
              const unsigned char* data, std::uint32_t size);
void CloseKey(Handle key);

// WinExec with SW_SHOWNORMAL; above 31 means started. Never waits.
unsigned StartProgram(const char* commandLine);

// MessageBoxA with no owner and MB_OK; returns once dismissed.
void ShowMessage(const char* text, const char* caption);

// The shell's icon for a file (SHGetFileInfoA, SHGFI_ICON), or 0. The caller
// owns a non-zero handle.
Handle FileIcon(const char* path);

// True when the path names an existing file that is not a directory.
bool IsExistingFile(const char* path);

// True when both paths can be opened and name the same file (same volume
// and file index), whatever their spelling.
bool IsSameFile(const char* first, const char* second);

// Full path of the running program's file.
std::string OwnFileName();

// The raw command line of the process.
const char* CommandLine();

// True when the byte starts a double-byte character in the ANSI code page.
bool IsLeadByte(char byte);

}  // namespace WindowsServices
