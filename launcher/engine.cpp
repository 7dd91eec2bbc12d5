#include "engine.h"

#include <vector>

#include "command_line_arguments.h"
#include "messages.h"
#include "product_record.h"
#include "self_reference.h"
#include "windows_services.h"

namespace Engine {

std::string MainProgramPath;
std::string ArgumentTail;

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
  if (RecordNamesThisLauncher(MainProgramPath)) {
    WindowsServices::ShowMessage(LauncherNotInstalledMessage, MessageCaption);
    return;
  }
  const std::string commandLine =
      QuotedProgramPath(MainProgramPath) + ArgumentTail;
  WindowsServices::StartProgram(commandLine.c_str());
}

}  // namespace Engine
