// Times how long each way of starting the main program takes to hand off:
// from just before CreateProcess until the stand-in main program's entry point
// reads the same clock (QueryPerformanceCounter is one clock for every process
// of the machine). The variants run round-robin, each round starting one
// variant further on, so that drift hits all of them alike. Before the next
// run, every process a run started, and the ones those started, has ended.
//
// Usage: handoff_driver VARIANTS STAMP MARKER ROUNDS WARMUP
//   VARIANTS  file of lines "name<TAB>command line"
//   STAMP     the file the stand-in writes; removed before every run
//   MARKER    text the stand-in's command line must hold, proving that the
//             arguments were handed on
//   ROUNDS    measured rounds; WARMUP rounds before them are not reported
// Prints "round,variant,handoff,created,startup" (microseconds) for every
// measured run: the hand-off, then its two parts on the system clock: until
// the main program's process was created (the starting program's own start-up
// and work), and from there until the entry point (the main program's
// start-up, the same whoever starts it).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Variant {
  std::string name;
  std::string commandLine;
};

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "handoff_driver: %s: %s (error %lu)\n", what,
               detail.c_str(), GetLastError());
  std::exit(2);
}

std::vector<Variant> ReadVariants(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) Fail("cannot read", path);
  std::vector<Variant> variants;
  std::string line;
  for (int c;;) {
    c = std::fgetc(file);
    if (c != EOF && c != '\n') {
      if (c != '\r') line += static_cast<char>(c);
      continue;
    }
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos) {
      variants.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    line.clear();
    if (c == EOF) break;
  }
  std::fclose(file);
  if (variants.empty()) Fail("no variants in", path);
  return variants;
}

// Every process started from the driver joins its job, and the job reports
// each start and end to a completion port: waiting needs no polling, which
// would take processor time from the processes being timed.
struct Job {
  HANDLE job = nullptr;
  HANDLE port = nullptr;
  long running = 0;  // started and not yet ended, the driver not counted
};

Job MakeJob() {
  Job job;
  job.job = CreateJobObjectA(nullptr, nullptr);
  job.port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
  if (job.job == nullptr || job.port == nullptr) Fail("no job", "");
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {};
  association.CompletionKey = job.job;
  association.CompletionPort = job.port;
  if (!SetInformationJobObject(job.job,
                               JobObjectAssociateCompletionPortInformation,
                               &association, sizeof association) ||
      !AssignProcessToJobObject(job.job, GetCurrentProcess())) {
    Fail("cannot set up the job", "");
  }
  return job;
}

// Takes the job's reports until every process started since the last wait
// has ended.
bool WaitForDescendants(Job& job) {
  const DWORD self = GetCurrentProcessId();
  for (;;) {
    DWORD message = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    if (!GetQueuedCompletionStatus(job.port, &message, &key, &detail, 60000)) {
      return false;
    }
    const DWORD process =
        static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(detail));
    if (process == self) continue;
    if (message == JOB_OBJECT_MSG_NEW_PROCESS) ++job.running;
    if (message == JOB_OBJECT_MSG_EXIT_PROCESS ||
        message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
      --job.running;
    }
    if (job.running == 0) return true;
  }
}

struct Stamp {
  LONGLONG entryTicks;
  ULONGLONG enteredTime;  // FILETIME units (100 ns)
  ULONGLONG createdTime;
};

ULONGLONG FileTimeValue(const char* bytes) {
  FILETIME time;
  std::memcpy(&time, bytes, sizeof time);
  return static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// The stand-in's readings, after checking its command line.
Stamp ReadStamp(const std::string& path, const std::wstring& marker) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("the stand-in left no stamp", path);
  constexpr DWORD header = 3 * 8;
  std::vector<char> bytes(65536 + header);
  DWORD read = 0;
  const BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                           &read, nullptr);
  CloseHandle(file);
  if (!ok || read < header) Fail("short stamp", path);
  Stamp stamp;
  std::memcpy(&stamp.entryTicks, bytes.data(), sizeof stamp.entryTicks);
  stamp.enteredTime = FileTimeValue(bytes.data() + 8);
  stamp.createdTime = FileTimeValue(bytes.data() + 16);
  const std::wstring line(
      reinterpret_cast<const wchar_t*>(bytes.data() + header),
      (read - header) / sizeof(wchar_t));
  if (line.find(marker) == std::wstring::npos) {
    Fail("the stand-in did not get the arguments", path);
  }
  return stamp;
}

struct Timing {
  double handoff;  // microseconds
  double created;
  double startup;
};

// One run.
Timing Run(Job& job, const Variant& variant, const std::string& stampPath,
           const std::wstring& marker, double microsecondsPerTick) {
  DeleteFileA(stampPath.c_str());
  std::vector<char> line(variant.commandLine.begin(),
                         variant.commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};

  FILETIME beforeTime;
  GetSystemTimePreciseAsFileTime(&beforeTime);
  LARGE_INTEGER before;
  QueryPerformanceCounter(&before);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    Fail("cannot start", variant.commandLine);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!WaitForDescendants(job)) {
    Fail("processes still running after", variant.name);
  }
  const Stamp stamp = ReadStamp(stampPath, marker);
  const ULONGLONG start = static_cast<ULONGLONG>(beforeTime.dwHighDateTime)
                              << 32 |
                          beforeTime.dwLowDateTime;
  return {
      static_cast<double>(stamp.entryTicks - before.QuadPart) *
          microsecondsPerTick,
      static_cast<double>(static_cast<LONGLONG>(stamp.createdTime - start)) /
          10,
      static_cast<double>(
          static_cast<LONGLONG>(stamp.enteredTime - stamp.createdTime)) /
          10};
}

std::wstring Wide(const char* text) {
  std::wstring wide;
  for (; *text != '\0'; ++text) wide += static_cast<wchar_t>(*text);
  return wide;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: handoff_driver VARIANTS STAMP MARKER ROUNDS WARMUP\n");
    return 1;
  }
  const std::vector<Variant> variants = ReadVariants(argv[1]);
  const std::string stamp = argv[2];
  const std::wstring marker = Wide(argv[3]);
  const int rounds = std::atoi(argv[4]);
  const int warmup = std::atoi(argv[5]);

  Job job = MakeJob();
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double microsecondsPerTick =
      1e6 / static_cast<double>(frequency.QuadPart);

  const std::size_t count = variants.size();
  for (int round = -warmup; round < rounds; ++round) {
    const std::size_t first = static_cast<std::size_t>(round + warmup) % count;
    for (std::size_t k = 0; k < count; ++k) {
      const Variant& variant = variants[(first + k) % count];
      const Timing timing =
          Run(job, variant, stamp, marker, microsecondsPerTick);
      if (round < 0) continue;
      std::printf("%d,%s,%.1f,%.1f,%.1f\n", round, variant.name.c_str(),
                  timing.handoff, timing.created, timing.startup);
      std::fflush(stdout);
    }
  }
  return 0;
}
