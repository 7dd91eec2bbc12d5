#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "applet_state.h"
#include "control_panel.h"
#include "fake_windows_services.h"
#include "messages.h"
#include "product_record.h"

using namespace FakeWindows;
using WindowsServices::LocalMachine;

namespace {

const char* const MainProgram = "C:\\Program Files\\Vellumark\\Vellumark.exe";
const Handle MainIcon = 0x4242;

class Applet : public testing::Test {
 protected:
  void SetUp() override {
    Reset();
    PutValue(LocalMachine, ProductKey, "EXEFilePath", StringValue(MainProgram));
    Fake().files[MainProgram] = File{false, MainIcon};
    AddKey(LocalMachine, DontLoadKey);
  }
  void TearDown() override {
    UnloadAppletState();
    EXPECT_EQ(Fake().openKeys, 0);
  }

  static const Value* DontLoadValue() {
    return FindValue(LocalMachine, DontLoadKey, "Vellupanel.cpl");
  }
};

TEST_F(Applet, LoadsThePathAndTheShellIcon) {
  LoadAppletState();
  EXPECT_EQ(MainProgramPath, MainProgram);
  EXPECT_EQ(MainProgramIcon, MainIcon);
}

TEST_F(Applet, NoRecordLeavesEverythingEmptyButStillAsksForTheIcon) {
  Reset();
  LoadAppletState();
  EXPECT_EQ(MainProgramPath, "");
  EXPECT_EQ(MainProgramIcon, 0u);
  EXPECT_EQ(Fake().iconRequests, std::vector<std::string>{""});
}

TEST_F(Applet, RecordNamingAMissingFileGivesNoIcon) {
  Fake().files.clear();
  LoadAppletState();
  EXPECT_EQ(MainProgramPath, MainProgram);
  EXPECT_EQ(MainProgramIcon, 0u);
}

TEST_F(Applet, LoadSurvivesEveryCallFailingInTurn) {
  LoadAppletState();
  const std::size_t calls = Fake().calls.size();
  for (std::size_t failing = 1; failing <= calls; ++failing) {
    SCOPED_TRACE(failing);
    UnloadAppletState();
    MainProgramIcon = 0;
    Fake().calls.clear();
    Fake().failingCallNumber = failing;
    LoadAppletState();
    EXPECT_EQ(Fake().openKeys, 0);
    if (Fake().calls[failing - 1] == Call::FileIcon) {
      EXPECT_EQ(MainProgramPath, MainProgram);  // what was read stays
      EXPECT_EQ(MainProgramIcon, 0u);
    }
  }
}

TEST_F(Applet, UnloadReleasesThePathAndLeavesTheIcon) {
  LoadAppletState();
  UnloadAppletState();
  EXPECT_EQ(MainProgramPath, "");
  EXPECT_EQ(MainProgramPath.capacity(), std::string().capacity());
  EXPECT_EQ(MainProgramIcon, MainIcon);
}

struct InitCase {
  const char* name;
  const char* record;
  bool exists;
  bool isDirectory;
  std::int32_t expected;
  // Test names show the case, not its bytes.
  friend void PrintTo(const InitCase& c, std::ostream* os) { *os << c.name; }
};

class InitCases : public Applet,
                  public testing::WithParamInterface<InitCase> {};

TEST_P(InitCases, AnswersWhetherTheMainProgramFileExists) {
  const InitCase& c = GetParam();
  Reset();
  PutValue(LocalMachine, ProductKey, "EXEFilePath", StringValue(c.record));
  if (c.exists) Fake().files[c.record] = File{c.isDirectory, 0};
  LoadAppletState();
  EXPECT_EQ(AnswerControlPanel(CplInit, nullptr), c.expected);
  EXPECT_EQ(AnswerControlPanel(CplGetCount, nullptr), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InitCases,
    testing::Values(InitCase{"ExistingFile", MainProgram, true, false, 1},
                    InitCase{"EmptyRecord", "", true, false, 0},
                    InitCase{"MissingFile", MainProgram, false, false, 0},
                    InitCase{"Directory", "C:\\Program Files", true, true, 0},
                    // The platform's search would match some other file.
                    InitCase{"Star", "C:\\Vellu*\\V.exe", true, false, 0},
                    InitCase{"QuestionMark", "C:\\V\\V?.exe", true, false, 0}),
    [](const testing::TestParamInfo<InitCase>& info) {
      return info.param.name;
    });

TEST_F(Applet, MessagesWithoutAMeaningAnswerZeroAndDoNothing) {
  LoadAppletState();
  std::array<unsigned char, EntryRecordSize> record;
  record.fill(0xAB);
  const auto untouched = record;
  Fake().calls.clear();

  for (const std::uint32_t message :
       {0u, 3u, 4u, 6u, 7u, 9u, 10u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(message);
    EXPECT_EQ(AnswerControlPanel(message, record.data()), 0);
  }
  EXPECT_EQ(record, untouched);
  EXPECT_TRUE(Fake().calls.empty());
}

// The record as the Control Panel host reads it.
void ExpectEntryRecord(const std::array<unsigned char, EntryRecordSize>& record,
                       std::uint32_t icon, unsigned char hostByte) {
  auto word = [&](std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
  };
  EXPECT_EQ(word(0), 244u);
  EXPECT_EQ(word(4), hostByte * 0x01010101u) << "dwFlags is the host's";
  EXPECT_EQ(word(8), 0u);
  EXPECT_EQ(word(12), 0u);
  EXPECT_EQ(word(16), icon);

  std::array<unsigned char, 32> name{};
  std::memcpy(name.data(), "Vellumark", 9);
  EXPECT_TRUE(std::equal(name.begin(), name.end(), record.begin() + 20));

  const std::string info =
      "Easily uninstall and manage your installed applications.";
  EXPECT_EQ(std::memcmp(record.data() + 52, info.c_str(), info.size() + 1), 0);
  for (std::size_t i = 52 + info.size() + 1; i < 116; ++i) {
    EXPECT_EQ(record[i], hostByte) << "szInfo byte " << i;
  }
  EXPECT_EQ(record[116], 0);
  for (std::size_t i = 117; i < EntryRecordSize; ++i) {
    EXPECT_EQ(record[i], hostByte) << "szHelpFile byte " << i;
  }
}

TEST_F(Applet, NewInquireWritesOnlyTheEntryFields) {
  LoadAppletState();
  for (const unsigned char hostByte : {0x00, 0xAB, 0xFF}) {
    SCOPED_TRACE(static_cast<int>(hostByte));
    std::array<unsigned char, EntryRecordSize> record;
    record.fill(hostByte);
    EXPECT_EQ(AnswerControlPanel(CplNewInquire, record.data()), 0);
    ExpectEntryRecord(record, static_cast<std::uint32_t>(MainIcon), hostByte);
  }
}

TEST_F(Applet, NewInquireWithoutAnIconWritesZero) {
  Fake().files.clear();
  LoadAppletState();
  std::array<unsigned char, EntryRecordSize> record;
  record.fill(0xAB);
  EXPECT_EQ(AnswerControlPanel(CplNewInquire, record.data()), 0);
  ExpectEntryRecord(record, 0, 0xAB);
}

TEST_F(Applet, NewInquireWithoutARecordAnswersZero) {
  LoadAppletState();
  EXPECT_EQ(AnswerControlPanel(CplNewInquire, nullptr), 0);
}

TEST_F(Applet, OpeningStartsTheQuotedMainProgramAlone) {
  LoadAppletState();
  EXPECT_EQ(AnswerControlPanel(CplDblClk, nullptr), 0);
  EXPECT_EQ(Fake().startedCommandLines,
            std::vector<std::string>{std::string("\"") + MainProgram + "\""});
  EXPECT_TRUE(Fake().messages.empty());
  EXPECT_EQ(DontLoadValue(), nullptr);
}

class RefusedStart : public Applet,
                     public testing::WithParamInterface<unsigned> {};

TEST_P(RefusedStart, RetiresTheApplet) {
  LoadAppletState();
  Fake().startResult = GetParam();
  Fake().calls.clear();

  EXPECT_EQ(AnswerControlPanel(CplDblClk, nullptr), 1);
  ASSERT_EQ(Fake().messages.size(), 1u);
  EXPECT_EQ(Fake().messages[0].text, AppletNotInstalledMessage);
  EXPECT_EQ(Fake().messages[0].caption, "Vellumark");
  ASSERT_NE(DontLoadValue(), nullptr);
  EXPECT_EQ(DontLoadValue()->type, RegSz);
  EXPECT_EQ(Text(DontLoadValue()->data), std::string(1, '\0'));

  // The user is told before the applet is listed.
  const auto& calls = Fake().calls;
  const auto message = std::find(calls.begin(), calls.end(), Call::ShowMessage);
  const auto write = std::find(calls.begin(), calls.end(), Call::SetValue);
  EXPECT_LT(message, write);
}

INSTANTIATE_TEST_SUITE_P(StartResults, RefusedStart,
                         testing::Values(0u, 2u, 31u));

TEST_F(Applet, StartAnsweredThirtyTwoIsAStart) {
  LoadAppletState();
  Fake().startResult = 32;
  EXPECT_EQ(AnswerControlPanel(CplDblClk, nullptr), 0);
  EXPECT_TRUE(Fake().messages.empty());
}

TEST_F(Applet, FileDeletedAfterLoadingRetiresWithoutStarting) {
  LoadAppletState();
  Fake().files.clear();
  EXPECT_EQ(AnswerControlPanel(CplDblClk, nullptr), 1);
  EXPECT_TRUE(Fake().startedCommandLines.empty());
  EXPECT_EQ(Fake().messages.size(), 1u);
  EXPECT_NE(DontLoadValue(), nullptr);
}

TEST_F(Applet, NoRecordRetiresWithoutStarting) {
  Reset();
  AddKey(LocalMachine, DontLoadKey);
  LoadAppletState();
  EXPECT_EQ(AnswerControlPanel(CplDblClk, nullptr), 1);
  EXPECT_TRUE(Fake().startedCommandLines.empty());
  EXPECT_NE(DontLoadValue(), nullptr);
}

TEST_F(Applet, RetiringWithoutTheDontLoadKeyNeverCreatesIt) {
  Fake().keys.erase(Fake().keys.find(std::to_string(LocalMachine) + "\\" +
                                     "software\\microsoft\\windows\\currentvers"
                                     "ion\\control panel\\don't load"));
  ASSERT_EQ(FindKey(LocalMachine, DontLoadKey), nullptr);
  Fake().files.clear();
  LoadAppletState();

  EXPECT_EQ(AnswerControlPanel(CplDblClk, nullptr), 1);
  EXPECT_EQ(Fake().messages.size(), 1u);
  EXPECT_EQ(FindKey(LocalMachine, DontLoadKey), nullptr);
}

TEST_F(Applet, RetiringWithoutTheRightToWriteStillTellsTheUser) {
  FindKey(LocalMachine, DontLoadKey)->refusesWrites = true;
  Fake().files.clear();
  LoadAppletState();

  for (int opening = 0; opening < 2; ++opening) {
    EXPECT_EQ(AnswerControlPanel(CplDblClk, nullptr), 1);
  }
  EXPECT_EQ(Fake().messages.size(), 2u);
  EXPECT_EQ(DontLoadValue(), nullptr);
}

TEST_F(Applet, RetiringTwiceLeavesOneValue) {
  Fake().files.clear();
  LoadAppletState();
  AnswerControlPanel(CplDblClk, nullptr);
  AnswerControlPanel(CplDblClk, nullptr);
  EXPECT_EQ(FindKey(LocalMachine, DontLoadKey)->values.size(), 1u);
}

}  // namespace
