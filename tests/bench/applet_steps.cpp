// Times, with the product's code, the applet's work on its first CPlApplet
// call (what INIT costs in a host): LoadAppletState as a whole, then its
// parts, reading the product record and asking the shell for the main
// program's icon, and the check that the file exists.
// The host's DLLs are loaded first and every step is repeated, as in a
// Control Panel that lists the applet again and again. Also times, for
// comparison only, taking the icon straight from the file with ExtractIconExA
// instead of through the shell.
// Usage: applet_steps ITERATIONS
// Prints "warm,STEP,microseconds" medians and "whatif,extract_icon,...".
#include <windows.h>
// <shellapi.h> after <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "applet_state.h"
#include "product_record.h"
#include "windows_services.h"

namespace {

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::string path;
HICON icon = nullptr;  // the step's icon, destroyed after the clock stops

struct Step {
  const char* pass;
  const char* name;
  void (*run)();
};

const Step steps[] = {
    {"warm", "load_state",
     [] {
       LoadAppletState();
       icon = reinterpret_cast<HICON>(MainProgramIcon);
     }},
    {"warm", "record", [] { path = ReadProductRecord(); }},
    {"warm", "icon",
     [] {
       icon = reinterpret_cast<HICON>(WindowsServices::FileIcon(path.c_str()));
     }},
    {"warm", "exists",
     [] {
       if (!WindowsServices::IsExistingFile(path.c_str())) std::exit(2);
     }},
    {"whatif", "extract_icon",
     [] { ExtractIconExA(path.c_str(), 0, &icon, nullptr, 1); }},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: applet_steps ITERATIONS\n");
    return 1;
  }
  const int iterations = std::atoi(argv[1]);
  for (const char* dll : {"advapi32.dll", "user32.dll", "gdi32.dll",
                          "shell32.dll", "comctl32.dll"}) {
    if (LoadLibraryA(dll) == nullptr) return 2;
  }
  path = ReadProductRecord();
  if (path.empty() || !WindowsServices::IsExistingFile(path.c_str())) {
    std::fprintf(stderr, "applet_steps: no main program on record\n");
    return 2;
  }

  // Every pass runs each step once, so that all steps see the same drift.
  constexpr std::size_t count = sizeof steps / sizeof steps[0];
  std::vector<LONGLONG> ticks[count];
  for (int i = 0; i < iterations; ++i) {
    for (std::size_t k = 0; k < count; ++k) {
      const LONGLONG start = Now();
      steps[k].run();
      ticks[k].push_back(Now() - start);
      // The applet keeps its icon; thousands of them would slow later steps.
      if (icon != nullptr) DestroyIcon(icon);
      icon = nullptr;
    }
  }

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (std::size_t k = 0; k < count; ++k) {
    std::vector<LONGLONG>& t = ticks[k];
    std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
    std::printf("%s,%s,%.1f\n", steps[k].pass, steps[k].name,
                static_cast<double>(t[t.size() / 2]) * 1e6 /
                    static_cast<double>(frequency.QuadPart));
  }
  return 0;
}
