// Times the launcher's own work before WinExec, step by step inside one
// process, with the product's code: loading ADVAPI32 (done by the loader
// before the launcher's WinMain), Engine::StartUp (product record and
// arguments), its own file name, the file identity check against the record,
// and the command line. The first pass is what a launcher process pays; the
// later passes show how much of that is first-call cost (page faults, code
// translation, caches).
// Usage: launcher_steps ITERATIONS [ARGUMENTS...]
// Prints "first,STEP,microseconds" per step, then "warm,STEP,microseconds"
// with the median of ITERATIONS further passes, then the same median for a
// cheaper way to rule out most same-file cases, which the launcher does not
// use: comparing the two files' sizes first ("whatif,size_precheck,...").
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine.h"
#include "product_record.h"
#include "windows_services.h"

// The registry pass-throughs, bound at run time instead of imported so that
// loading ADVAPI32 can be timed as a step. Same calls as the launcher's.
namespace {

using OpenKeyFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using QueryValueFunction = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE,
                                         LPDWORD);
using SetValueFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*,
                                       DWORD);
using CloseKeyFunction = LONG(WINAPI*)(HKEY);

OpenKeyFunction openKey;
QueryValueFunction queryValue;
SetValueFunction setValue;
CloseKeyFunction closeKey;

template <typename Function>
Function Bind(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void LoadAdvapi32() {
  HMODULE advapi32 = LoadLibraryA("advapi32.dll");
  if (advapi32 == nullptr) std::exit(2);
  openKey = Bind<OpenKeyFunction>(advapi32, "RegOpenKeyExA");
  queryValue = Bind<QueryValueFunction>(advapi32, "RegQueryValueExA");
  setValue = Bind<SetValueFunction>(advapi32, "RegSetValueExA");
  closeKey = Bind<CloseKeyFunction>(advapi32, "RegCloseKey");
  if (!openKey || !queryValue || !setValue || !closeKey) std::exit(2);
}

HKEY AsKey(WindowsServices::Handle handle) {
  return reinterpret_cast<HKEY>(handle);
}

}  // namespace

namespace WindowsServices {

long OpenKey(Handle root, const char* subKey, std::uint32_t access,
             Handle* key) {
  HKEY opened = nullptr;
  const LONG result = openKey(AsKey(root), subKey, 0, access, &opened);
  *key = reinterpret_cast<Handle>(opened);
  return result;
}

long QueryValue(Handle key, const char* valueName, std::uint32_t* type,
                unsigned char* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = *size;
  const LONG result =
      queryValue(AsKey(key), valueName, nullptr, &valueType, data, &valueSize);
  *type = valueType;
  *size = valueSize;
  return result;
}

void SetValue(Handle key, const char* valueName, std::uint32_t type,
              const unsigned char* data, std::uint32_t size) {
  setValue(AsKey(key), valueName, 0, type, data, size);
}

void CloseKey(Handle key) { closeKey(AsKey(key)); }

}  // namespace WindowsServices

namespace {

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

struct Step {
  const char* name;
  void (*run)();
};

std::string ownName;
std::string commandLine;

// Files of different sizes cannot be the same file; only equal sizes would
// still need the identity check.
void SizePrecheck() {
  WIN32_FILE_ATTRIBUTE_DATA own;
  WIN32_FILE_ATTRIBUTE_DATA record;
  if (GetFileAttributesExA(ownName.c_str(), GetFileExInfoStandard, &own) &&
      GetFileAttributesExA(Engine::MainProgramPath.c_str(),
                           GetFileExInfoStandard, &record) &&
      own.nFileSizeLow == record.nFileSizeLow &&
      own.nFileSizeHigh == record.nFileSizeHigh) {
    std::exit(3);  // the stand-in is never the launcher's size
  }
}

LONGLONG Median(std::vector<LONGLONG> ticks) {
  std::nth_element(ticks.begin(), ticks.begin() + ticks.size() / 2,
                   ticks.end());
  return ticks[ticks.size() / 2];
}

const Step steps[] = {
    {"startup", [] { Engine::StartUp(); }},
    {"own_name", [] { ownName = WindowsServices::OwnFileName(); }},
    {"same_file",
     [] {
       if (WindowsServices::IsSameFile(ownName.c_str(),
                                       Engine::MainProgramPath.c_str())) {
         std::exit(3);  // the record names this program: nothing to time
       }
     }},
    {"command_line",
     [] {
       commandLine =
           QuotedProgramPath(Engine::MainProgramPath) + Engine::ArgumentTail;
     }},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: launcher_steps ITERATIONS [ARGUMENTS...]\n");
    return 1;
  }
  const int iterations = std::atoi(argv[1]);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double microsecondsPerTick =
      1e6 / static_cast<double>(frequency.QuadPart);
  auto print = [&](const char* pass, const char* step, LONGLONG ticks) {
    std::printf("%s,%s,%.1f\n", pass, step,
                static_cast<double>(ticks) * microsecondsPerTick);
  };

  LONGLONG start = Now();
  LoadAdvapi32();
  print("first", "load_advapi32", Now() - start);
  for (const Step& step : steps) {
    start = Now();
    step.run();
    print("first", step.name, Now() - start);
  }
  if (Engine::MainProgramPath.empty()) {
    std::fprintf(stderr, "launcher_steps: no product record\n");
    return 2;
  }

  // Every pass runs each step once, so that all steps see the same drift.
  constexpr std::size_t count = sizeof steps / sizeof steps[0];
  std::vector<LONGLONG> ticks[count + 1];
  for (int i = 0; i < iterations; ++i) {
    for (std::size_t k = 0; k < count; ++k) {
      start = Now();
      steps[k].run();
      ticks[k].push_back(Now() - start);
    }
    start = Now();
    SizePrecheck();
    ticks[count].push_back(Now() - start);
  }
  for (std::size_t k = 0; k < count; ++k) {
    print("warm", steps[k].name, Median(ticks[k]));
  }
  print("whatif", "size_precheck", Median(ticks[count]));
  return 0;
}
