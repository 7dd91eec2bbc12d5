// Starts a program with an exact raw command line, read byte for byte from a
// file, so that no shell's quoting stands between a test and the program.
// Waits for it and ends with its exit code; prints "exit=N".
#include <windows.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: run_exact FILE-HOLDING-THE-COMMAND-LINE\n");
    return 101;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "run_exact: cannot read %s\n", argv[1]);
    return 102;
  }
  std::vector<char> line;
  for (int c; (c = std::fgetc(file)) != EOF;)
    line.push_back(static_cast<char>(c));
  std::fclose(file);
  line.push_back('\0');

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::fprintf(stderr, "run_exact: CreateProcess failed: %lu\n",
                 GetLastError());
    return 103;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("exit=%lu\n", exitCode);
  return static_cast<int>(exitCode);
}
