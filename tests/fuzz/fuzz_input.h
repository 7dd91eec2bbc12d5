// Reading a fuzz input front to back, and stopping on a broken property.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Past the end every read gives zeros or nothing, so any byte string is a
// valid input and seeds can be written by hand in the same order.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : data_(data), size_(size) {}

  bool Empty() const { return position_ == size_; }
  std::size_t Remaining() const { return size_ - position_; }

  std::uint8_t Byte() { return Empty() ? 0 : data_[position_++]; }

  std::uint16_t Word16() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | Byte() << 8);
  }

  std::uint32_t Word32() {
    const std::uint32_t low = Word16();
    return low | static_cast<std::uint32_t>(Word16()) << 16;
  }

  // Up to `count` bytes, fewer at the end of the input.
  std::string Bytes(std::size_t count) {
    if (count > Remaining()) count = Remaining();
    const std::string bytes(reinterpret_cast<const char*>(data_ + position_),
                            count);
    position_ += count;
    return bytes;
  }

  std::string Rest() { return Bytes(Remaining()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Traps so that libFuzzer keeps the input that broke the property.
#define FUZZ_CHECK(condition)                                         \
  do {                                                                \
    if (!(condition)) {                                               \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, \
                   #condition);                                       \
      __builtin_trap();                                               \
    }                                                                 \
  } while (false)
