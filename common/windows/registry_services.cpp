// Registry pass-throughs.
#include <windows.h>

#include "windows_services.h"

namespace WindowsServices {

namespace {
HKEY AsKey(Handle handle) { return reinterpret_cast<HKEY>(handle); }
}  // namespace

long OpenKey(Handle root, const char* subKey, std::uint32_t access,
             Handle* key) {
  HKEY opened = nullptr;
  const LONG result = RegOpenKeyExA(AsKey(root), subKey, 0, access, &opened);
  *key = reinterpret_cast<Handle>(opened);
  return result;
}

long QueryValue(Handle key, const char* valueName, std::uint32_t* type,
                unsigned char* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = *size;
  const LONG result = RegQueryValueExA(AsKey(key), valueName, nullptr,
                                       &valueType, data, &valueSize);
  *type = valueType;
  *size = valueSize;
  return result;
}

void SetValue(Handle key, const char* valueName, std::uint32_t type,
              const unsigned char* data, std::uint32_t size) {
  RegSetValueExA(AsKey(key), valueName, 0, type, data, size);
}

void CloseKey(Handle key) { RegCloseKey(AsKey(key)); }

}  // namespace WindowsServices
