// Runs a table of cases in one process: registry writes, and programs started
// with exact raw command lines, so that no shell's quoting stands between a
// test and the program, and a case costs one Windows process start, not
// three (run_exact and reg are processes of their own).
//
// The file holds NUL-terminated fields; each step is a verb and its operands:
//   set KEY NAME TEXT        REG_SZ value, the key created when missing
//   set-short KEY NAME PATH  REG_SZ value: the 8.3 spelling of PATH
//   delete-value KEY NAME
//   delete-key KEY
//   run COMMAND-LINE         starts it and waits for it to end
// KEY starts with HKLM\ or HKCU\. Values go to this 32-bit process's view of
// the registry, the one the 32-bit launcher reads.
//
// For each run it prints "run N exit=CODE thread=TID" (TID in hex, as Wine's
// debug output shows thread ids), and writes "run N begins" and "run N ends"
// to stderr, where Wine's trace goes, to tell which calls happened during
// which run. set-short prints "short PATH" with the spelling it used.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "run_cases: %s\n", what.c_str());
  std::exit(2);
}

HKEY Root(const std::string& key, std::string* subKey) {
  if (key.compare(0, 5, "HKLM\\") == 0) {
    *subKey = key.substr(5);
    return HKEY_LOCAL_MACHINE;
  }
  if (key.compare(0, 5, "HKCU\\") == 0) {
    *subKey = key.substr(5);
    return HKEY_CURRENT_USER;
  }
  Fail("unknown root in " + key);
}

void SetText(const std::string& key, const std::string& name,
             const std::string& text) {
  std::string subKey;
  const HKEY root = Root(key, &subKey);
  HKEY opened = nullptr;
  if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &opened, nullptr) != ERROR_SUCCESS) {
    Fail("cannot create " + key);
  }
  const LONG result = RegSetValueExA(
      opened, name.c_str(), 0, REG_SZ,
      reinterpret_cast<const BYTE*>(text.c_str()),
      static_cast<DWORD>(text.size() + 1));
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS) Fail("cannot set " + key + " " + name);
}

void DeleteValue(const std::string& key, const std::string& name) {
  std::string subKey;
  const HKEY root = Root(key, &subKey);
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_SET_VALUE, &opened) !=
      ERROR_SUCCESS) {
    return;  // no key, no value
  }
  RegDeleteValueA(opened, name.c_str());
  RegCloseKey(opened);
}

void DeleteKey(const std::string& key) {
  std::string subKey;
  const HKEY root = Root(key, &subKey);
  const LONG result = RegDeleteKeyA(root, subKey.c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    Fail("cannot delete " + key);
  }
}

std::string ShortPath(const std::string& path) {
  char buffer[32768];
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) Fail("no short path for " + path);
  return std::string(buffer, length);
}

void Run(int index, std::string commandLine) {
  std::fprintf(stderr, "run %d begins\n", index);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
    Fail("CreateProcess failed: " + std::to_string(GetLastError()));
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::fprintf(stderr, "run %d ends\n", index);
  std::printf("run %d exit=%lu thread=%04lx\n", index, exitCode,
              process.dwThreadId);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) Fail("usage: run_cases FILE-OF-NUL-TERMINATED-FIELDS");
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) Fail(std::string("cannot read ") + argv[1]);
  // One read: under Wine's relay trace each library call is a line of it.
  std::string bytes;
  char chunk[65536];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
    bytes.append(chunk, got);
  std::fclose(file);
  std::vector<std::string> fields(1);
  for (const char c : bytes) {
    if (c == '\0') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  if (!fields.back().empty()) Fail("the last field has no NUL");
  fields.pop_back();

  std::size_t next = 0;
  auto take = [&]() -> const std::string& {
    if (next == fields.size()) Fail("a step lacks an operand");
    return fields[next++];
  };
  int runs = 0;
  while (next < fields.size()) {
    const std::string verb = take();
    if (verb == "set") {
      const std::string key = take(), name = take();
      SetText(key, name, take());
    } else if (verb == "set-short") {
      const std::string key = take(), name = take();
      const std::string shortPath = ShortPath(take());
      SetText(key, name, shortPath);
      std::printf("short %s\n", shortPath.c_str());
    } else if (verb == "delete-value") {
      const std::string key = take();
      DeleteValue(key, take());
    } else if (verb == "delete-key") {
      DeleteKey(take());
    } else if (verb == "run") {
      Run(++runs, take());
    } else {
      Fail("unknown step " + verb);
    }
  }
  return 0;
}
