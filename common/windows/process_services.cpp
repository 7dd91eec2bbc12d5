// Process pass-throughs: program start, own file name, command line.
#include <windows.h>

#include <vector>

#include "windows_services.h"

namespace WindowsServices {

unsigned StartProgram(const char* commandLine) {
  return WinExec(commandLine, SW_SHOWNORMAL);
}

std::string OwnFileName() {
  // Grow until the whole path fits: it may be longer than MAX_PATH.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(),
                                            static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

const char* CommandLine() { return GetCommandLineA(); }

// KERNEL32's test, not USER32's CharNextA: loading USER32 makes WinExec wait
// for the started program and slows the launcher's start.
bool IsLeadByte(char byte) { return IsDBCSLeadByte(static_cast<BYTE>(byte)); }

}  // namespace WindowsServices
