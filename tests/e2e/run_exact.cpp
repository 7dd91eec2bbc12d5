// Starts a program with an exact raw command line, read byte for byte from a
// file, so that no shell's quoting stands between a test and the program.
// With --utf8 the file holds UTF-8 and the line is passed as Unicode.
// Waits for it and ends with its exit code; prints "exit=N".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

BOOL Start(bool utf8, std::vector<char>& line, PROCESS_INFORMATION* process) {
  if (!utf8) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, process);
  }
  std::vector<wchar_t> wide(line.size());
  MultiByteToWideChar(CP_UTF8, 0, line.data(), -1, wide.data(),
                      static_cast<int>(wide.size()));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, process);
}

}  // namespace

int main(int argc, char** argv) {
  const bool utf8 = argc == 3 && std::string(argv[1]) == "--utf8";
  if (argc != 2 && !utf8) {
    std::fprintf(stderr,
                 "usage: run_exact [--utf8] FILE-HOLDING-THE-COMMAND-LINE\n");
    return 101;
  }
  const char* path = argv[argc - 1];
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "run_exact: cannot read %s\n", path);
    return 102;
  }
  std::vector<char> line;
  for (int c; (c = std::fgetc(file)) != EOF;)
    line.push_back(static_cast<char>(c));
  std::fclose(file);
  line.push_back('\0');

  PROCESS_INFORMATION process = {};
  if (!Start(utf8, line, &process)) {
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
