#include "engine.h"

#include <gtest/gtest.h>

#include "fake_windows_services.h"
#include "messages.h"
#include "product_record.h"

using namespace FakeWindows;
using WindowsServices::LocalMachine;

namespace {

const char* const OwnFile = "C:\\Vellumark\\launcher.exe";
const char* const MainProgram = "C:\\Program Files\\Vellumark\\Vellumark.exe";

struct LaunchCase {
  const char* name;
  const char* record;  // nullptr: no product record at all
  std::string commandLine;
  std::vector<std::string> expectedStarts;
  bool expectMessage;
  // Test names show the case, not its bytes.
  friend void PrintTo(const LaunchCase& c, std::ostream* os) { *os << c.name; }
};

class Launch : public testing::TestWithParam<LaunchCase> {
 protected:
  void SetUp() override {
    Reset();
    Fake().ownFileName = OwnFile;
    Fake().sameFiles = {{OwnFile, "C:\\VELLUM~1\\LAUNCH~1.EXE"},
                        {OwnFile, "C:/Vellumark/x/../launcher.exe"}};
  }
  void TearDown() override { EXPECT_EQ(Fake().openKeys, 0); }

  void Run(const LaunchCase& c) {
    if (c.record != nullptr) {
      PutValue(LocalMachine, ProductKey, "EXEFilePath", StringValue(c.record));
    }
    Fake().commandLine = c.commandLine;
    Engine::StartUp();
    Engine::StartMainProgram();
  }
};

TEST_P(Launch, StartsTheMainProgramWithTheForwardedArguments) {
  const LaunchCase& c = GetParam();
  Run(c);
  EXPECT_EQ(Fake().startedCommandLines, c.expectedStarts);
  if (c.expectMessage) {
    ASSERT_EQ(Fake().messages.size(), 1u);
    EXPECT_EQ(Fake().messages[0].text, LauncherNotInstalledMessage);
    EXPECT_EQ(Fake().messages[0].caption, std::string("Vellumark"));
  } else {
    EXPECT_TRUE(Fake().messages.empty());
  }
}

const std::string Quoted = std::string("\"") + MainProgram + "\"";

INSTANTIATE_TEST_SUITE_P(
    Cases, Launch,
    testing::Values(
        LaunchCase{"NoArguments", MainProgram, "launcher.exe", {Quoted}, false},
        LaunchCase{"OptionWordsAndEmptyPair",
                   MainProgram,
                   "launcher.exe -a two \"words together\" \"\"",
                   {Quoted + " -a two \"words together\""},
                   false},
        LaunchCase{"QuotesInsideOneArgument",
                   MainProgram,
                   "launcher.exe x\"y z\"w",
                   {Quoted + " \"xy zw\""},
                   false},
        LaunchCase{"TabsAndSpacesBecomeOneSpace",
                   MainProgram,
                   "launcher.exe \ta   \t b",
                   {Quoted + " a b"},
                   false},
        LaunchCase{"LoneQuoteEndsTheArguments",
                   MainProgram,
                   "launcher.exe a \"",
                   {Quoted + " a"},
                   false},
        LaunchCase{"QuotedProgramNameIsNeverForwarded",
                   MainProgram,
                   "\"C:\\Program Files\\V\\launcher.exe\" /s",
                   {Quoted + " /s"},
                   false},
        LaunchCase{"RecordHoldingQuotesIsUsedAsStored",
                   "\"C:\\Apps\\V.exe\" /from-record",
                   "launcher.exe /x",
                   {"\"C:\\Apps\\V.exe\" /from-record /x"},
                   false},
        LaunchCase{"NoRecordStartsNothing",
                   nullptr,
                   "launcher.exe calc.exe",
                   {},
                   false},
        LaunchCase{
            "EmptyRecordStartsNothing", "", "launcher.exe calc.exe", {}, false},
        LaunchCase{"RecordNamingItselfStartsNothing",
                   OwnFile,
                   "launcher.exe a",
                   {},
                   true},
        LaunchCase{"ItselfInOtherCase",
                   "c:\\VELLUMARK\\Launcher.EXE",
                   "launcher.exe",
                   {},
                   true},
        LaunchCase{"ItselfByShortName",
                   "C:\\VELLUM~1\\LAUNCH~1.EXE",
                   "launcher.exe",
                   {},
                   true},
        LaunchCase{"ItselfThroughDotDot",
                   "C:/Vellumark/x/../launcher.exe",
                   "launcher.exe",
                   {},
                   true},
        // The platform finds a bare name in the launcher's folder first.
        LaunchCase{
            "ItselfByBareName", "LAUNCHER.exe", "launcher.exe", {}, true},
        LaunchCase{"ItselfByBareNameWithoutExtension",
                   "launcher",
                   "launcher.exe",
                   {},
                   true},
        // The platform reads the program from the start of the line.
        LaunchCase{"ItselfInQuotesWithArguments",
                   "\"C:\\Vellumark\\launcher.exe\" /from-record",
                   "launcher.exe",
                   {},
                   true},
        LaunchCase{"ItselfBeforeAQuotedArgument",
                   "C:\\Vellumark\\launcher.exe \"/from record\"",
                   "launcher.exe",
                   {},
                   true},
        LaunchCase{"ItselfWithoutExtension",
                   "C:\\Vellumark\\launcher",
                   "launcher.exe",
                   {},
                   true},
        LaunchCase{"OtherWithoutExtension",
                   "C:\\Vellumark\\Vellumark",
                   "launcher.exe",
                   {"\"C:\\Vellumark\\Vellumark\""},
                   false},
        LaunchCase{"OtherBareName",
                   "Vellumark.exe",
                   "launcher.exe",
                   {"\"Vellumark.exe\""},
                   false},
        LaunchCase{"RelativePathIsNotSearched",
                   "sub\\launcher",
                   "launcher.exe",
                   {"\"sub\\launcher\""},
                   false}),
    [](const testing::TestParamInfo<LaunchCase>& info) {
      return info.param.name;
    });

TEST(LaunchState, KeepsThePathAndTheTailFromStartUp) {
  Reset();
  PutValue(LocalMachine, ProductKey, "EXEFilePath", StringValue(MainProgram));
  Fake().commandLine = "launcher.exe  -a\t\"b c\"";
  Engine::StartUp();
  EXPECT_EQ(Engine::MainProgramPath, MainProgram);
  EXPECT_EQ(Engine::ArgumentTail, " -a \"b c\"");
}

TEST(LaunchState, BareDoubleByteNameWithBackslashBytesIsStillBare) {
  Reset();
  Fake().leadBytes = {0x83, 0x95};
  // Two double-byte characters, each with a backslash as its second byte.
  const std::string bare = "\x83\x5C\x95\x5C";
  Fake().ownFileName = "C:\\\x83\x5C\\" + bare + ".exe";
  PutValue(LocalMachine, ProductKey, "EXEFilePath", StringValue(bare));
  Engine::StartUp();
  Engine::StartMainProgram();
  EXPECT_TRUE(Fake().startedCommandLines.empty());
  EXPECT_EQ(Fake().messages.size(), 1u);
}

TEST(LaunchState, UnknownOwnFileNameStillStartsTheMainProgram) {
  Reset();
  PutValue(LocalMachine, ProductKey, "EXEFilePath", StringValue(MainProgram));
  Fake().failingCalls = {Call::OwnFileName, Call::IsSameFile};
  Engine::StartUp();
  Engine::StartMainProgram();
  EXPECT_EQ(Fake().startedCommandLines, std::vector<std::string>{Quoted});
}

}  // namespace
