// Registry strings: whatever a value holds, however it changes between the
// two queries and whichever call fails, a read gives the bytes up to the first
// NUL or nothing, and every key opened is closed. A write stores the text and
// one NUL, or nothing, and never creates a key.
//
// Input, first byte odd: a write; the byte's bits: 1 key exists, 2 key
//   refuses writes, 3 an old value. Then the failing call number (% 5, 0
//   none), then the text to the end.
// First byte even: a read; the byte's bits: 1 key exists, 2 value exists in
//   it, 3 read as the product record, 4-5 change (0 none, 1 replace before
//   the first query, 2 replace before the second, 3 delete before the
//   second), 6 key refuses writes. Then the failing call number (% 6, 0 none),
//   the value, and the replacing value. A value is: type (4 bytes), repeat
//   count (1 byte, +1), pattern length (2 bytes), pattern; the data is the
//   pattern repeated, so a short input can make a large value.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "control_panel.h"
#include "fake_windows_services.h"
#include "fuzz_input.h"
#include "product_record.h"
#include "registry_strings.h"

using namespace FakeWindows;
using WindowsServices::LocalMachine;

namespace {

Value TakeValue(FuzzInput& input) {
  const std::uint32_t type = input.Word32();
  const unsigned repeats = input.Byte() + 1u;
  const std::string pattern = input.Bytes(input.Word16());
  std::string data;
  data.reserve(pattern.size() * repeats);
  for (unsigned i = 0; i < repeats; ++i) data += pattern;
  return BytesValue(type, data);
}

std::string UpToFirstNul(const std::vector<unsigned char>& data) {
  const std::string bytes = Text(data);
  return bytes.substr(0, bytes.find('\0'));
}

std::set<std::string> KeyPaths() {
  std::set<std::string> paths;
  for (const auto& key : Fake().keys) paths.insert(key.first);
  return paths;
}

// What one query found when it looked, seen from the fake's side.
struct Query {
  bool happened = false;
  bool fails = false;
  std::optional<Value> value;

  bool Succeeded() const { return happened && !fails && value.has_value(); }
};

void FuzzRead(std::uint8_t flags, FuzzInput& input) {
  const bool keyExists = flags & 0x02;
  const bool valueExists = flags & 0x04;
  const bool asProductRecord = flags & 0x08;
  const int change = (flags >> 4) & 3;
  const bool refusesWrites = flags & 0x40;
  Fake().failingCallNumber = input.Byte() % 6;
  const Value first = TakeValue(input);
  const Value replacement = TakeValue(input);

  if (keyExists) {
    AddKey(LocalMachine, ProductKey).refusesWrites = refusesWrites;
    if (valueExists) {
      PutValue(LocalMachine, ProductKey, ProductRecordValue, first);
    }
  }

  Query queries[3];
  Fake().beforeQuery = [&](int number) {
    if (number > 2) return;
    if ((change == 1 && number == 1) || (change == 2 && number == 2)) {
      PutValue(LocalMachine, ProductKey, ProductRecordValue, replacement);
    }
    if (change == 3 && number == 2) {
      FindKey(LocalMachine, ProductKey)->values.clear();
    }
    Query& query = queries[number];
    query.happened = true;
    query.fails = Fake().failingCallNumber == Fake().calls.size();
    const Value* value =
        FindValue(LocalMachine, ProductKey, ProductRecordValue);
    if (value != nullptr) query.value = *value;
  };

  const std::string text =
      asProductRecord
          ? ReadProductRecord()
          : ReadRegString(LocalMachine, ProductKey, ProductRecordValue);

  const bool opened = keyExists && Fake().failingCallNumber != 1;
  FUZZ_CHECK(queries[1].happened == opened);
  // A value that has bytes needs the second query to read them.
  if (queries[1].Succeeded() && !queries[1].value->data.empty()) {
    FUZZ_CHECK(queries[2].happened);
  }
  std::string expected;
  // The buffer was sized by the first answer; a value that grew since then
  // does not fit and reads as nothing.
  if (queries[1].Succeeded() && queries[2].Succeeded() &&
      queries[2].value->data.size() <= queries[1].value->data.size()) {
    expected = UpToFirstNul(queries[2].value->data);
  }
  FUZZ_CHECK(text == expected);
  FUZZ_CHECK(Fake().openKeys == 0);
  FUZZ_CHECK(Fake().misusedHandles == 0);
}

void FuzzWrite(std::uint8_t flags, FuzzInput& input) {
  const bool keyExists = flags & 0x02;
  const bool refusesWrites = flags & 0x04;
  const bool hadValue = flags & 0x08;
  const std::size_t failing = input.Byte() % 5;
  const std::string text = input.Rest();

  if (keyExists) {
    AddKey(LocalMachine, DontLoadKey).refusesWrites = refusesWrites;
    if (hadValue) {
      PutValue(LocalMachine, DontLoadKey, AppletFileName,
               StringValue("C:\\old.cpl"));
    }
  }
  const std::set<std::string> keysBefore = KeyPaths();
  const std::optional<Value> before = [] {
    const Value* value = FindValue(LocalMachine, DontLoadKey, AppletFileName);
    return value ? std::optional<Value>(*value) : std::nullopt;
  }();

  Fake().failingCallNumber = failing;
  WriteRegString(LocalMachine, DontLoadKey, AppletFileName, text);

  FUZZ_CHECK(KeyPaths() == keysBefore);
  FUZZ_CHECK(Fake().openKeys == 0);
  FUZZ_CHECK(Fake().misusedHandles == 0);
  const Value* after = FindValue(LocalMachine, DontLoadKey, AppletFileName);
  // Opening is the first call and setting the second; a failed close comes
  // after the value is stored.
  const bool stored =
      keyExists && !refusesWrites && failing != 1 && failing != 2;
  if (!stored) {
    FUZZ_CHECK(before.has_value() == (after != nullptr));
    if (after != nullptr) FUZZ_CHECK(after->data == before->data);
    return;
  }
  FUZZ_CHECK(after != nullptr);
  FUZZ_CHECK(after->type == RegSz);
  FUZZ_CHECK(Text(after->data) == text + '\0');

  // What was written reads back up to its first NUL.
  Fake().failingCallNumber = 0;
  Fake().calls.clear();
  FUZZ_CHECK(ReadRegString(LocalMachine, DontLoadKey, AppletFileName) ==
             text.substr(0, text.find('\0')));
  FUZZ_CHECK(Fake().openKeys == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  Reset();
  FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  if (flags & 0x01) {
    FuzzWrite(flags, input);
  } else {
    FuzzRead(flags, input);
  }
  return 0;
}
