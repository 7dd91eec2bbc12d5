#include "registry_strings.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace WS = WindowsServices;

namespace {

// Reads one value of an open key. Any failure, an allocation included, gives
// empty text so that the caller's key is always closed.
std::string QueryStringValue(WS::Handle key, const char* valueName) {
  try {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (WS::QueryValue(key, valueName, &type, nullptr, &size) != WS::Success) {
      return {};
    }
    // size + 1 must not wrap to 0 on a 32-bit build.
    if (size == std::numeric_limits<std::uint32_t>::max()) return {};
    const std::unique_ptr<unsigned char[]> buffer(
        new (std::nothrow) unsigned char[std::size_t{size} + 1]);
    if (!buffer) return {};

    std::uint32_t returned = size;
    if (WS::QueryValue(key, valueName, &type, buffer.get(), &returned) !=
        WS::Success) {
      return {};
    }
    // Never trust a size beyond the capacity that was offered.
    const std::size_t length = returned < size ? returned : size;
    const void* nul = std::memchr(buffer.get(), 0, length);
    const std::size_t textLength =
        nul ? static_cast<const unsigned char*>(nul) - buffer.get() : length;
    return std::string(reinterpret_cast<const char*>(buffer.get()), textLength);
  } catch (...) {
    return {};
  }
}

}  // namespace

std::string ReadRegString(WS::Handle root, const char* subKey,
                          const char* valueName) {
  WS::Handle key = 0;
  if (WS::OpenKey(root, subKey, WS::KeyQueryValue, &key) != WS::Success) {
    return {};
  }
  std::string text = QueryStringValue(key, valueName);
  WS::CloseKey(key);
  return text;
}

void WriteRegString(WS::Handle root, const char* subKey, const char* valueName,
                    const std::string& text) {
  WS::Handle key = 0;
  if (WS::OpenKey(root, subKey, WS::KeyWrite, &key) != WS::Success) return;
  // REG_SZ data carries its terminating NUL.
  WS::SetValue(key, valueName, WS::RegSz,
               reinterpret_cast<const unsigned char*>(text.c_str()),
               static_cast<std::uint32_t>(text.size() + 1));
  WS::CloseKey(key);
}
