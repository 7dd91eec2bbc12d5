// Times what a Control Panel host pays to list an applet: LoadLibrary,
// CPlApplet INIT, GETCOUNT and NEWINQUIRE, FreeLibrary, over and over. The
// applets are taken round-robin, each sample starting one applet further on,
// so that drift hits all of them alike. Every answer is checked, so a broken
// applet stops the run instead of timing well.
//
// Usage: applet_bench_host SAMPLES ITERATIONS PHASE_SAMPLES APPLET...
// Prints "total,sample,applet,microseconds per listing" for every sample, and
// "phase,sample,applet,load,init,getcount,newinquire,free" (microseconds per
// listing) for PHASE_SAMPLES samples that time each step on its own; those
// extra clock readings are why the totals come from separate samples.
#include <windows.h>
// <cpl.h> after <windows.h>
#include <cpl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using AppletFunction = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);

constexpr int PhaseCount = 5;

[[noreturn]] void Fail(const char* what, const char* detail) {
  std::fprintf(stderr, "applet_bench_host: %s: %s (error %lu)\n", what, detail,
               GetLastError());
  std::exit(2);
}

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// Icons the applets handed over, destroyed between samples with the clock
// stopped: a Control Panel holds a few at a time, not thousands.
std::vector<HICON> icons;

void DestroyIcons() {
  for (HICON icon : icons) DestroyIcon(icon);
  icons.clear();
}

// One listing. With `phases`, adds the ticks of each step to it.
void ListApplet(const char* path, LONGLONG* phases) {
  LONGLONG mark[PhaseCount + 1];
  if (phases) mark[0] = Now();
  HMODULE library = LoadLibraryA(path);
  if (library == nullptr) Fail("cannot load", path);
  const auto applet = reinterpret_cast<AppletFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "CPlApplet")));
  if (applet == nullptr) Fail("no CPlApplet in", path);
  if (phases) mark[1] = Now();
  if (applet(nullptr, CPL_INIT, 0, 0) != 1) Fail("INIT refused", path);
  if (phases) mark[2] = Now();
  if (applet(nullptr, CPL_GETCOUNT, 0, 0) != 1) Fail("GETCOUNT not 1", path);
  if (phases) mark[3] = Now();
  NEWCPLINFOA info = {};
  applet(nullptr, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info));
  if (info.dwSize != sizeof info ||
      std::strcmp(info.szName, "Vellumark") != 0) {
    Fail("NEWINQUIRE record wrong", path);
  }
  if (info.hIcon != nullptr) icons.push_back(info.hIcon);
  if (phases) mark[4] = Now();
  FreeLibrary(library);
  if (phases) {
    mark[5] = Now();
    for (int i = 0; i < PhaseCount; ++i) phases[i] += mark[i + 1] - mark[i];
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: applet_bench_host SAMPLES ITERATIONS PHASE_SAMPLES "
                 "APPLET...\n");
    return 1;
  }
  const int samples = std::atoi(argv[1]);
  const int iterations = std::atoi(argv[2]);
  const int phaseSamples = std::atoi(argv[3]);
  const std::vector<const char*> applets(argv + 4, argv + argc);

  // A Control Panel host has these loaded long before it lists applets; they
  // must not be loaded and unloaded with each applet.
  for (const char* dll : {"advapi32.dll", "user32.dll", "gdi32.dll",
                          "shell32.dll", "comctl32.dll"}) {
    if (LoadLibraryA(dll) == nullptr) Fail("cannot load", dll);
  }

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double microsecondsPerTick =
      1e6 / static_cast<double>(frequency.QuadPart);
  const std::size_t count = applets.size();

  // Warm-up: the first listings fill caches every later one finds full.
  for (const char* path : applets) {
    for (int i = 0; i < iterations / 4 + 1; ++i) ListApplet(path, nullptr);
  }
  DestroyIcons();

  // Totals and per-step samples alternate, so both see the same drift.
  for (int sample = 0; sample < samples || sample < phaseSamples; ++sample) {
    for (std::size_t k = 0; k < count && sample < samples; ++k) {
      const std::size_t index = (sample + k) % count;
      const LONGLONG start = Now();
      for (int i = 0; i < iterations; ++i) ListApplet(applets[index], nullptr);
      const LONGLONG ticks = Now() - start;
      DestroyIcons();
      std::printf(
          "total,%d,%u,%.2f\n", sample, static_cast<unsigned>(index),
          static_cast<double>(ticks) * microsecondsPerTick / iterations);
    }
    for (std::size_t k = 0; k < count && sample < phaseSamples; ++k) {
      const std::size_t index = (sample + k) % count;
      LONGLONG phases[PhaseCount] = {};
      for (int i = 0; i < iterations; ++i) ListApplet(applets[index], phases);
      DestroyIcons();
      std::printf("phase,%d,%u", sample, static_cast<unsigned>(index));
      for (const LONGLONG ticks : phases) {
        std::printf(",%.2f", static_cast<double>(ticks) * microsecondsPerTick /
                                 iterations);
      }
      std::printf("\n");
    }
    std::fflush(stdout);
  }
  return 0;
}
