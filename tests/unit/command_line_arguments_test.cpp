#include "command_line_arguments.h"

#include <gtest/gtest.h>

#include "fake_windows_services.h"

using namespace FakeWindows;
using Arguments = std::vector<std::string>;

namespace {

class CommandLineArguments : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
};

struct SplitCase {
  const char* name;
  std::string commandLine;
  Arguments expected;
  // Test names show the case, not its bytes.
  friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class SplitCases : public CommandLineArguments,
                   public testing::WithParamInterface<SplitCase> {};

TEST_P(SplitCases, SplitsByTheArgumentRules) {
  EXPECT_EQ(SplitCommandLine(GetParam().commandLine.c_str()),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SplitCases,
    testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", " \t \x01 ", {}},
        SplitCase{"ProgramOnly", "launcher.exe", {"launcher.exe"}},
        SplitCase{"QuotedProgramWithSpaces",
                  "\"C:\\Program Files\\V\\launcher.exe\" a",
                  {"C:\\Program Files\\V\\launcher.exe", "a"}},
        SplitCase{"OptionWordsAndEmptyPair",
                  "l -a two \"words together\" \"\"",
                  {"l", "-a", "two", "words together"}},
        SplitCase{"QuotesInsideARun", "l x\"y z\"w", {"l", "xy zw"}},
        SplitCase{
            "TabsAndRunsOfSpaces", "l\ta  \t  b\t\tc", {"l", "a", "b", "c"}},
        SplitCase{"LoneQuoteAtTheEnd", "l a \"", {"l", "a"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", "l \"a  b", {"l", "a  b"}},
        SplitCase{"QuotedBlankIsAnArgument", "l \" \" b", {"l", " ", "b"}},
        SplitCase{"EmptyPairBeforeText", "l \"\"x", {"l", "x"}},
        SplitCase{"ControlCharactersSeparate",
                  "l a\x1f"
                  "b\x02"
                  "c",
                  {"l", "a", "b", "c"}},
        SplitCase{
            "HighBytesAreText", "l \xE9t\xE9 \xFF", {"l", "\xE9t\xE9", "\xFF"}},
        SplitCase{"BackslashesAreText",
                  "l C:\\a\\ \\\"b c\"",
                  {"l", "C:\\a\\", "\\b c"}}),
    [](const testing::TestParamInfo<SplitCase>& info) {
      return info.param.name;
    });

TEST_F(CommandLineArguments, DoubleByteCharactersStayWhole) {
  Fake().leadBytes = {0x81, 0x82, 0x83};
  // The second byte of 0x81 0x22 is a quote only in a single-byte code page,
  // and 0x83 0x5C keeps its backslash byte.
  EXPECT_EQ(SplitCommandLine("l \x81\x22 x \x83\x5C\"a b\""),
            (Arguments{"l", "\x81\x22", "x",
                       "\x83\x5C"
                       "a b"}));
  // A lead byte at the very end does not swallow the terminator.
  EXPECT_EQ(SplitCommandLine("l \x82"), (Arguments{"l", "\x82"}));
}

TEST_F(CommandLineArguments, ForwardsEachArgumentAfterOneSpace) {
  EXPECT_EQ(ForwardedArguments({}), "");
  EXPECT_EQ(ForwardedArguments({"-a", "two", "words together"}),
            " -a two \"words together\"");
  EXPECT_EQ(ForwardedArguments({"xy zw", "tab\there", "bell\x07"}),
            " \"xy zw\" \"tab\there\" \"bell\x07\"");
  EXPECT_EQ(ForwardedArguments({"C:\\dir\\", "\xE9"}), " C:\\dir\\ \xE9");
}

// Every command line over a small alphabet, up to a length: the forwarded
// tail must split back into exactly the arguments it was made from.
void ExpectRoundTripsForAllLines(const std::string& alphabet,
                                 std::size_t maxLength) {
  std::string line;
  std::vector<std::size_t> digits;
  for (std::size_t length = 0; length <= maxLength; ++length) {
    digits.assign(length, 0);
    for (;;) {
      line.clear();
      for (const std::size_t d : digits) line += alphabet[d];
      const Arguments arguments = SplitCommandLine(("l " + line).c_str());
      const Arguments again = SplitCommandLine(
          ("\"C:\\V\\main.exe\"" + ForwardedArguments(Arguments(
                                       arguments.begin() + 1, arguments.end())))
              .c_str());
      ASSERT_EQ(again.size(), arguments.size()) << '[' << line << ']';
      for (std::size_t i = 1; i < arguments.size(); ++i) {
        ASSERT_EQ(again[i], arguments[i]) << '[' << line << ']';
      }
      std::size_t i = 0;
      while (i < length && ++digits[i] == alphabet.size()) digits[i++] = 0;
      if (i == length) break;
    }
  }
}

TEST_F(CommandLineArguments, ForwardedTailSplitsBackIntoTheSameArguments) {
  ExpectRoundTripsForAllLines(std::string("a \t\"\x01\\", 6), 6);
}

TEST_F(CommandLineArguments, RoundTripHoldsWithDoubleByteCharacters) {
  Fake().leadBytes = {0x81};
  ExpectRoundTripsForAllLines("a \"\x81\\", 6);
}

}  // namespace
