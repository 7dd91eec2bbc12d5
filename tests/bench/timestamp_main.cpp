// Bench stand-in for the main program. Its entry point reads the shared clock
// before anything else, then leaves in "<own file>.stamp": that reading, the
// system time at entry and the process's creation time (FILETIMEs, 8 bytes
// each), then its UTF-16 command line; and ends. It has no C runtime, so no
// start-up code runs before the readings.
#include <windows.h>

namespace {
// Static: a large stack frame would need the runtime's stack probe.
wchar_t stampPath[MAX_PATH + 8];
}  // namespace

extern "C" void BenchEntry() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  // Creation to entry on one clock: this process's own start-up.
  FILETIME entered, created, ended, kernel, user;
  GetSystemTimePreciseAsFileTime(&entered);
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);

  UINT exitCode = 1;
  const DWORD length = GetModuleFileNameW(nullptr, stampPath, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    lstrcatW(stampPath, L".stamp");
    HANDLE file = CreateFileW(stampPath, GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      const wchar_t* line = GetCommandLineW();
      DWORD written = 0;
      if (WriteFile(file, &now, sizeof now, &written, nullptr) &&
          WriteFile(file, &entered, sizeof entered, &written, nullptr) &&
          WriteFile(file, &created, sizeof created, &written, nullptr) &&
          WriteFile(file, line, lstrlenW(line) * sizeof(wchar_t), &written,
                    nullptr)) {
        exitCode = 0;
      }
      CloseHandle(file);
    }
  }
  ExitProcess(exitCode);
}
