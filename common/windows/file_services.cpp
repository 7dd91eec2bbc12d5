// File tests.
#include <windows.h>

#include "windows_services.h"

namespace WindowsServices {

namespace {

// Opens a file or directory for its identity only.
HANDLE OpenForIdentity(const char* path) {
  return CreateFileA(
      path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool ReadIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* identity) {
  HANDLE file = OpenForIdentity(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool read = GetFileInformationByHandle(file, identity) != FALSE;
  CloseHandle(file);
  return read;
}

}  // namespace

bool IsExistingFile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsSameFile(const char* first, const char* second) {
  BY_HANDLE_FILE_INFORMATION a;
  BY_HANDLE_FILE_INFORMATION b;
  return ReadIdentity(first, &a) && ReadIdentity(second, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace WindowsServices
