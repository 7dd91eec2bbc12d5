// Writes one registry value from a file of raw bytes with RegSetValueExA, so
// that a test can store exact 8-bit data of any type and size: "reg add"
// stores strings as UTF-16 and is bound by the command-line limit.
//
//   set_registry_value HKLM\SUB\KEY VALUE-NAME TYPE FILE
//
// TYPE is REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD or a
// number. The key is created when missing. Prints "written" when it was:
// Wine may kill a process that is slow to end, so its exit status alone
// can fail a test that went well.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool ParseType(const char* text, DWORD* type) {
  static const struct {
    const char* name;
    DWORD type;
  } Names[] = {{"REG_SZ", REG_SZ},
               {"REG_EXPAND_SZ", REG_EXPAND_SZ},
               {"REG_MULTI_SZ", REG_MULTI_SZ},
               {"REG_BINARY", REG_BINARY},
               {"REG_DWORD", REG_DWORD}};
  for (const auto& name : Names) {
    if (std::strcmp(text, name.name) == 0) {
      *type = name.type;
      return true;
    }
  }
  char* end = nullptr;
  const unsigned long number = std::strtoul(text, &end, 0);
  if (*text == '\0' || *end != '\0') return false;
  *type = static_cast<DWORD>(number);
  return true;
}

bool ReadBytes(const char* path, std::vector<BYTE>* bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  for (int c; (c = std::fgetc(file)) != EOF;) {
    bytes->push_back(static_cast<BYTE>(c));
  }
  std::fclose(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  DWORD type = 0;
  if (argc != 5 || std::strncmp(argv[1], "HKLM\\", 5) != 0 ||
      !ParseType(argv[3], &type)) {
    std::fprintf(stderr,
                 "usage: set_registry_value HKLM\\SUB\\KEY VALUE-NAME TYPE "
                 "FILE\n");
    return 2;
  }
  std::vector<BYTE> bytes;
  if (!ReadBytes(argv[4], &bytes)) {
    std::fprintf(stderr, "set_registry_value: cannot read %s\n", argv[4]);
    return 2;
  }

  HKEY key = nullptr;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[1] + 5, 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExA(key, argv[2], 0, type,
                            bytes.empty() ? nullptr : bytes.data(),
                            static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }
  if (result != ERROR_SUCCESS) {
    std::fprintf(stderr, "set_registry_value: error %ld\n", result);
    return 1;
  }
  std::printf("written\n");
  return 0;
}
