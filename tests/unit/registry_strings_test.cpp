#include "registry_strings.h"

#include <gtest/gtest.h>

#include "fake_windows_services.h"
#include "product_record.h"

using namespace FakeWindows;
using WindowsServices::LocalMachine;

namespace {

const char* const Subkey = "SOFTWARE\\Orrindale\\Vellumark";

class RegistryStrings : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    EXPECT_EQ(Fake().openKeys, 0) << "a key was left open";
    EXPECT_EQ(Fake().misusedHandles, 0);
  }
};

struct ReadCase {
  const char* name;
  bool keyExists;
  bool valueExists;
  Value value;
  std::string expected;
  // Test names show the case, not its bytes.
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class ReadRegStringCases : public RegistryStrings,
                           public testing::WithParamInterface<ReadCase> {};

TEST_P(ReadRegStringCases, ReadsBytesUpToTheFirstNul) {
  const ReadCase& c = GetParam();
  if (c.keyExists) AddKey(LocalMachine, Subkey);
  if (c.valueExists) PutValue(LocalMachine, Subkey, "EXEFilePath", c.value);

  EXPECT_EQ(ReadRegString(LocalMachine, Subkey, "EXEFilePath"), c.expected);
}

using std::string_literals::operator""s;

INSTANTIATE_TEST_SUITE_P(
    Values, ReadRegStringCases,
    testing::Values(
        ReadCase{"NoKey", false, false, {}, ""},
        ReadCase{"NoValue", true, false, {}, ""},
        ReadCase{"EmptyString", true, true, StringValue(""), ""},
        ReadCase{"NoDataAtAll", true, true, BytesValue(RegBinary, ""), ""},
        ReadCase{"PlainPath", true, true,
                 StringValue("C:\\Program Files\\Vellumark\\Vellumark.exe"),
                 "C:\\Program Files\\Vellumark\\Vellumark.exe"},
        ReadCase{
            "KeptExactlyAsStored", true, true,
            BytesValue(RegExpandSz, " %ProgramFiles%\\VelluMark\\V.EXE \0"s),
            " %ProgramFiles%\\VelluMark\\V.EXE "},
        ReadCase{"NulInTheMiddle", true, true,
                 BytesValue(RegSz, "C:\\a.exe\0C:\\b.exe\0"s), "C:\\a.exe"},
        ReadCase{"MissingTerminator", true, true,
                 BytesValue(RegSz, "C:\\a.exe"), "C:\\a.exe"},
        ReadCase{"DwordWithTextBytes", true, true,
                 BytesValue(RegDword, "abc\0"s), "abc"},
        ReadCase{"DwordWithLowByteZero", true, true,
                 BytesValue(RegDword, "\0abc"s), ""},
        ReadCase{"EightBitBytes", true, true,
                 BytesValue(RegBinary, "C:\\\xC4\xD6\x81\x5C.exe"),
                 "C:\\\xC4\xD6\x81\x5C.exe"}),
    [](const testing::TestParamInfo<ReadCase>& info) {
      return info.param.name;
    });

TEST_F(RegistryStrings, ValueGrowingBetweenTheQueriesReadsAsEmpty) {
  PutValue(LocalMachine, Subkey, "EXEFilePath", StringValue("C:\\a.exe"));
  Fake().beforeQuery = [](int query) {
    if (query == 2) {
      PutValue(LocalMachine, Subkey, "EXEFilePath",
               StringValue("C:\\a much longer path.exe"));
    }
  };
  EXPECT_EQ(ReadRegString(LocalMachine, Subkey, "EXEFilePath"), "");
}

TEST_F(RegistryStrings, ValueShrinkingBetweenTheQueriesReadsTheNewBytesOnly) {
  PutValue(LocalMachine, Subkey, "EXEFilePath",
           BytesValue(RegBinary, "C:\\long-name.exe"));
  Fake().beforeQuery = [](int query) {
    if (query == 2) {
      PutValue(LocalMachine, Subkey, "EXEFilePath",
               BytesValue(RegBinary, "ab"));
    }
  };
  // The stale bytes after "ab" in the buffer must not show.
  EXPECT_EQ(ReadRegString(LocalMachine, Subkey, "EXEFilePath"), "ab");
}

TEST_F(RegistryStrings, SizeReportedBeyondTheBufferIsNeverRead) {
  PutValue(LocalMachine, Subkey, "EXEFilePath", BytesValue(RegBinary, "abc"));
  Fake().extraReportedBytes = 64;
  // ASan reports any read past the buffer the text was copied from.
  EXPECT_EQ(ReadRegString(LocalMachine, Subkey, "EXEFilePath"), "abc");
}

TEST_F(RegistryStrings, ReadOpensForQueryOnlyAndClosesTheKey) {
  PutValue(LocalMachine, Subkey, "EXEFilePath", StringValue("C:\\a.exe"));
  Key& key = *FindKey(LocalMachine, Subkey);
  key.refusesWrites = true;

  EXPECT_EQ(ReadRegString(LocalMachine, Subkey, "EXEFilePath"), "C:\\a.exe");
  EXPECT_EQ(Fake().calls,
            (std::vector<Call>{Call::OpenKey, Call::QueryValue,
                               Call::QueryValue, Call::CloseKey}));
}

TEST_F(RegistryStrings, EveryCallFailingInTurnGivesEmptyTextAndLeaksNothing) {
  PutValue(LocalMachine, Subkey, "EXEFilePath", StringValue("C:\\a.exe"));
  ReadRegString(LocalMachine, Subkey, "EXEFilePath");
  const std::vector<Call> calls = Fake().calls;

  for (std::size_t failing = 1; failing <= calls.size(); ++failing) {
    SCOPED_TRACE(failing);
    Fake().calls.clear();
    Fake().failingCallNumber = failing;
    const std::string text = ReadRegString(LocalMachine, Subkey, "EXEFilePath");
    // A failed close loses nothing that was read.
    EXPECT_EQ(text, calls[failing - 1] == Call::CloseKey ? "C:\\a.exe" : "");
    EXPECT_EQ(Fake().openKeys, 0);
  }
}

TEST_F(RegistryStrings, ProductRecordIsReadFromTheProductKey) {
  PutValue(LocalMachine, "software\\orrindale\\vellumark", "exefilepath",
           StringValue("D:\\Apps\\Vellumark.exe"));
  PutValue(LocalMachine, "SOFTWARE\\Orrindale\\Other", "EXEFilePath",
           StringValue("D:\\wrong.exe"));
  EXPECT_EQ(ReadProductRecord(), "D:\\Apps\\Vellumark.exe");
}

struct WriteCase {
  const char* name;
  std::string text;
  std::string storedBytes;
  // Test names show the case, not its bytes.
  friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class WriteRegStringCases : public RegistryStrings,
                            public testing::WithParamInterface<WriteCase> {};

TEST_P(WriteRegStringCases, StoresTheTextAndOneNulAsRegSz) {
  AddKey(LocalMachine, Subkey);
  WriteRegString(LocalMachine, Subkey, "Name", GetParam().text);
  WriteRegString(LocalMachine, Subkey, "Name", GetParam().text);

  ASSERT_EQ(FindKey(LocalMachine, Subkey)->values.size(), 1u);
  const Value* value = FindValue(LocalMachine, Subkey, "Name");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, RegSz);
  EXPECT_EQ(Text(value->data), GetParam().storedBytes);
}

INSTANTIATE_TEST_SUITE_P(Values, WriteRegStringCases,
                         testing::Values(WriteCase{"Empty", "", "\0"s},
                                         WriteCase{"Text", "Vellupanel.cpl",
                                                   "Vellupanel.cpl\0"s}),
                         [](const testing::TestParamInfo<WriteCase>& info) {
                           return info.param.name;
                         });

TEST_F(RegistryStrings, WriteNeverCreatesAMissingKey) {
  WriteRegString(LocalMachine, Subkey, "Name", "");
  EXPECT_EQ(FindKey(LocalMachine, Subkey), nullptr);
  EXPECT_TRUE(Fake().keys.empty());
}

TEST_F(RegistryStrings, WriteIntoAKeyThatRefusesWritesWritesNothing) {
  AddKey(LocalMachine, Subkey).refusesWrites = true;
  WriteRegString(LocalMachine, Subkey, "Name", "");
  EXPECT_EQ(FindValue(LocalMachine, Subkey, "Name"), nullptr);
}

TEST_F(RegistryStrings, WriteWithEveryCallFailingInTurnLeaksNoKey) {
  AddKey(LocalMachine, Subkey);
  for (std::size_t failing = 1; failing <= 3; ++failing) {
    SCOPED_TRACE(failing);
    Fake().calls.clear();
    Fake().failingCallNumber = failing;
    WriteRegString(LocalMachine, Subkey, "Name", "x");
    EXPECT_EQ(Fake().openKeys, 0);
  }
}

}  // namespace
