// Starts the programs of many raw command lines at once: each line of a
// file is one command line, and all are started before any is waited for.
// Then waits for every one and prints "exit=N" for each, in the file's
// order: the exit codes as Windows has them, which a Unix "wine" process's
// own status is not when Wine kills a slow-to-end process.
//
//   start_together FILE-WITH-ONE-COMMAND-LINE-A-LINE
// Exits 0 when every program started, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: start_together FILE\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "start_together: cannot read %s\n", argv[1]);
    return 2;
  }
  std::vector<std::string> lines(1);
  for (int c; (c = std::fgetc(file)) != EOF;) {
    if (c == '\n') {
      lines.emplace_back();
    } else if (c != '\r') {
      lines.back() += static_cast<char>(c);
    }
  }
  std::fclose(file);
  if (lines.back().empty()) lines.pop_back();

  std::vector<HANDLE> processes;
  int failed = 0;
  for (std::string& line : lines) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      processes.push_back(process.hProcess);
    } else {
      std::fprintf(stderr, "start_together: CreateProcess failed: %lu\n",
                   GetLastError());
      processes.push_back(nullptr);
      ++failed;
    }
  }

  for (HANDLE process : processes) {
    if (process == nullptr) {
      std::printf("exit=none\n");
      continue;
    }
    WaitForSingleObject(process, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    std::printf("exit=%lu\n", exitCode);
  }
  return failed == 0 ? 0 : 1;
}
