#include "engine.h"

#include <vector>

#include "command_line_arguments.h"
#include "messages.h"
#include "product_record.h"
#include "windows_services.h"

namespace Engine {

std::string MainProgramPath;
std::string ArgumentTail;

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool RecordNamesThisLauncher() {
  const std::string own = WindowsServices::OwnFileName();
  return LowerAscii(own) == LowerAscii(MainProgramPath) ||
         WindowsServices::IsSameFile(own.c_str(), MainProgramPath.c_str());
}

}  // namespace

void StartUp() {
  MainProgramPath = ReadProductRecord();
  std::vector<std::string> arguments =
      SplitCommandLine(WindowsServices::CommandLine());
  if (!arguments.empty()) arguments.erase(arguments.begin());  // our own name
  ArgumentTail = ForwardedArguments(arguments);
}

void StartMainProgram() {
  // Without a record, the first argument would be started as a program.
  if (MainProgramPath.empty()) return;
  if (RecordNamesThisLauncher()) {
    WindowsServices::ShowMessage(LauncherNotInstalledMessage, MessageCaption);
    return;
  }
  const std::string commandLine =
      QuotedProgramPath(MainProgramPath) + ArgumentTail;
  WindowsServices::StartProgram(commandLine.c_str());
}

}  // namespace Engine
