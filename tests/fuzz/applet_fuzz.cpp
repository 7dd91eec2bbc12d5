// The applet's answers: for any product record, file and start result, and
// any message number and entry record the Control Panel hands over, the
// answer follows the message table and only the entry's own fields change.
//
// Input: flags (bit 0 product record, 1 the file exists, 2 it is a
// directory, 3 the "don't load" key exists, 4 that key refuses writes), the
// start result (4 bytes), the icon handle (8 bytes), the record's length
// (2 bytes) and bytes. Then messages to the end of the input: number (4
// bytes), options (bit 0: no entry record), and up to 244 bytes of the entry
// record as the host left it, the rest filled with the options byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "applet_state.h"
#include "control_panel.h"
#include "fake_windows_services.h"
#include "fuzz_input.h"
#include "messages.h"
#include "product_record.h"

using namespace FakeWindows;
using WindowsServices::LocalMachine;

namespace {

// The 32-bit entry record (NEWCPLINFOA) as the host reads it.
constexpr std::size_t RecordSize = 244;
constexpr std::size_t NameOffset = 20;
constexpr std::size_t NameSize = 32;
constexpr std::size_t InfoOffset = 52;
constexpr std::size_t InfoSize = 64;
constexpr std::size_t HelpFileOffset = 116;
using Record = std::array<unsigned char, RecordSize>;

constexpr int MaxMessages = 16;

std::uint32_t Word(const Record& record, std::size_t offset) {
  std::uint32_t word;
  std::memcpy(&word, record.data() + offset, sizeof word);
  return word;
}

// The fields we fill; every other byte is the host's.
bool IsOurs(std::size_t offset) {
  return offset < 4 || (offset >= 8 && offset < InfoOffset) ||
         (offset >= InfoOffset &&
          offset < InfoOffset + sizeof EntryDescription) ||
         offset == HelpFileOffset;
}

void CheckEntryRecord(const Record& record, const Record& host,
                      std::uint32_t icon) {
  FUZZ_CHECK(Word(record, 0) == RecordSize);
  FUZZ_CHECK(Word(record, 8) == 0);   // help context
  FUZZ_CHECK(Word(record, 12) == 0);  // data for us
  FUZZ_CHECK(Word(record, 16) == icon);
  char name[NameSize] = {};
  std::memcpy(name, EntryName, std::strlen(EntryName));
  FUZZ_CHECK(std::memcmp(record.data() + NameOffset, name, NameSize) == 0);
  FUZZ_CHECK(sizeof EntryDescription <= InfoSize);
  FUZZ_CHECK(std::memcmp(record.data() + InfoOffset, EntryDescription,
                         sizeof EntryDescription) == 0);
  FUZZ_CHECK(record[HelpFileOffset] == 0);
  for (std::size_t i = 0; i < RecordSize; ++i) {
    if (!IsOurs(i)) FUZZ_CHECK(record[i] == host[i]);
  }
}

std::set<std::string> KeyPaths() {
  std::set<std::string> paths;
  for (const auto& key : Fake().keys) paths.insert(key.first);
  return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  Reset();
  FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  const bool hasRecord = flags & 0x01;
  const bool fileExists = flags & 0x02;
  const bool isDirectory = flags & 0x04;
  const bool dontLoadKeyExists = flags & 0x08;
  const bool dontLoadRefusesWrites = flags & 0x10;
  Fake().startResult = input.Word32();
  const std::uint64_t iconLow = input.Word32();
  const Handle icon =
      static_cast<Handle>(iconLow | std::uint64_t{input.Word32()} << 32);
  const std::string recordBytes = input.Bytes(input.Word16());

  const std::string path =
      hasRecord ? recordBytes.substr(0, recordBytes.find('\0')) : "";
  if (hasRecord) {
    PutValue(LocalMachine, ProductKey, ProductRecordValue,
             BytesValue(RegSz, recordBytes));
  }
  if (fileExists) Fake().files[path] = File{isDirectory, icon};
  if (dontLoadKeyExists) {
    AddKey(LocalMachine, DontLoadKey).refusesWrites = dontLoadRefusesWrites;
  }
  const std::set<std::string> keys = KeyPaths();

  LoadAppletState();
  FUZZ_CHECK(MainProgramPath == path);
  FUZZ_CHECK(MainProgramIcon == (fileExists ? icon : 0));
  FUZZ_CHECK(Fake().openKeys == 0);

  // A wildcard would let the platform match some other file.
  const bool startable = !path.empty() &&
                         path.find_first_of("*?") == std::string::npos &&
                         fileExists && !isDirectory;
  const bool starts = startable && Fake().startResult > 31;
  const std::string commandLine =
      path.find('"') == std::string::npos ? '"' + path + '"' : path;

  for (int n = 0; n < MaxMessages && !input.Empty(); ++n) {
    const std::uint32_t message = input.Word32();
    const std::uint8_t options = input.Byte();
    const bool noRecord = options & 0x01;
    Record host;
    host.fill(options);
    const std::string hostBytes = input.Bytes(RecordSize);
    std::memcpy(host.data(), hostBytes.data(), hostBytes.size());
    Record record = host;

    const std::size_t startsBefore = Fake().startedCommandLines.size();
    const std::size_t messagesBefore = Fake().messages.size();
    Fake().calls.clear();
    const std::int32_t answer =
        AnswerControlPanel(message, noRecord ? nullptr : record.data());
    const std::size_t newStarts =
        Fake().startedCommandLines.size() - startsBefore;
    const std::size_t newMessages = Fake().messages.size() - messagesBefore;

    switch (message) {
      case 1:
        FUZZ_CHECK(answer == (startable ? 1 : 0));
        FUZZ_CHECK(newStarts == 0 && newMessages == 0);
        FUZZ_CHECK(record == host);
        break;
      case 2:
        FUZZ_CHECK(answer == 1);
        FUZZ_CHECK(newStarts == 0 && newMessages == 0);
        FUZZ_CHECK(record == host);
        break;
      case 5:
        FUZZ_CHECK(answer == (starts ? 0 : 1));
        FUZZ_CHECK(newStarts == (startable ? 1u : 0u));
        if (newStarts == 1) {
          FUZZ_CHECK(Fake().startedCommandLines.back() == commandLine);
        }
        FUZZ_CHECK(newMessages == (starts ? 0u : 1u));
        if (newMessages == 1) {
          FUZZ_CHECK(Fake().messages.back().text == AppletNotInstalledMessage);
          FUZZ_CHECK(Fake().messages.back().caption == MessageCaption);
          const Value* listed =
              FindValue(LocalMachine, DontLoadKey, AppletFileName);
          if (dontLoadKeyExists && !dontLoadRefusesWrites) {
            FUZZ_CHECK(listed != nullptr && listed->type == RegSz &&
                       Text(listed->data) == std::string(1, '\0'));
          } else {
            FUZZ_CHECK(listed == nullptr);
          }
        }
        FUZZ_CHECK(record == host);
        break;
      case 8:
        FUZZ_CHECK(answer == 0);
        FUZZ_CHECK(newStarts == 0 && newMessages == 0);
        if (noRecord) break;
        // Icon handles are 32 bits wide in the 32-bit record.
        CheckEntryRecord(record, host,
                         static_cast<std::uint32_t>(fileExists ? icon : 0));
        break;
      default:
        FUZZ_CHECK(answer == 0);
        FUZZ_CHECK(Fake().calls.empty());
        FUZZ_CHECK(record == host);
        break;
    }
    FUZZ_CHECK(KeyPaths() == keys);
    FUZZ_CHECK(Fake().openKeys == 0);
    FUZZ_CHECK(Fake().misusedHandles == 0);
  }

  UnloadAppletState();
  FUZZ_CHECK(MainProgramPath.empty());
  return 0;
}
