// Raw command lines: whatever bytes the launcher's line holds, the main
// program must receive exactly the arguments that followed our own name.
//
// Input: an optional first byte 0..3 choosing the code page's lead bytes,
// then the command line itself (cut at its first NUL, as Windows hands it).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "command_line_arguments.h"
#include "engine.h"
#include "fake_windows_services.h"
#include "fuzz_input.h"
#include "product_record.h"

using namespace FakeWindows;
using Arguments = std::vector<std::string>;

namespace {

const char* const MainProgram = "C:\\Program Files\\Vellumark\\Vellumark.exe";

// Lead bytes of the double-byte ANSI code pages; bytes 1..3 are blanks at the
// start of a line and change nothing there, so they are free to choose.
std::set<unsigned char> LeadBytes(std::uint8_t choice) {
  std::set<unsigned char> lead;
  const auto add = [&lead](int first, int last) {
    for (int b = first; b <= last; ++b)
      lead.insert(static_cast<unsigned char>(b));
  };
  switch (choice) {
    case 1:  // Japanese
      add(0x81, 0x9F);
      add(0xE0, 0xFC);
      break;
    case 2:  // Simplified and traditional Chinese, Korean
      add(0x81, 0xFE);
      break;
    case 3:  // Johab
      add(0x84, 0xD3);
      add(0xD8, 0xDE);
      add(0xE0, 0xF9);
      break;
    default:  // single-byte
      break;
  }
  return lead;
}

Arguments Tail(const Arguments& arguments) {
  return arguments.empty() ? Arguments()
                           : Arguments(arguments.begin() + 1, arguments.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  Reset();
  const bool choosesCodePage = size > 0 && data[0] <= 3;
  if (choosesCodePage) Fake().leadBytes = LeadBytes(data[0]);
  FuzzInput input(data, size);
  if (choosesCodePage) input.Byte();
  const std::string bytes = input.Rest();

  // Exactly as long as the line, so that reading past the terminator is an
  // overflow AddressSanitizer reports.
  const std::unique_ptr<char[]> line(new char[bytes.size() + 1]);
  std::memcpy(line.get(), bytes.data(), bytes.size());
  line[bytes.size()] = '\0';

  const Arguments arguments = SplitCommandLine(line.get());
  for (const std::string& argument : arguments) FUZZ_CHECK(!argument.empty());

  // The launcher's own forwarding: the main program's quoted path, then the
  // tail, splits back into that path and the very same arguments.
  const Arguments forwarded = Tail(arguments);
  const Arguments again = SplitCommandLine(
      ("\"C:\\V\\main.exe\"" + ForwardedArguments(forwarded)).c_str());
  FUZZ_CHECK(!again.empty() && again[0] == "C:\\V\\main.exe");
  FUZZ_CHECK(Tail(again) == forwarded);

  // And the whole launcher, from the process's line to the started one.
  PutValue(WindowsServices::LocalMachine, ProductKey, ProductRecordValue,
           StringValue(MainProgram));
  Fake().commandLine = line.get();
  Engine::StartUp();
  Engine::StartMainProgram();
  FUZZ_CHECK(Fake().startedCommandLines.size() == 1);
  FUZZ_CHECK(Fake().messages.empty());
  Arguments expected{MainProgram};
  expected.insert(expected.end(), forwarded.begin(), forwarded.end());
  FUZZ_CHECK(SplitCommandLine(Fake().startedCommandLines[0].c_str()) ==
             expected);
  FUZZ_CHECK(Fake().openKeys == 0);
  return 0;
}
