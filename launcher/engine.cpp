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

bool IsSpellingOf(const std::string& own, const std::string& path) {
  return LowerAscii(own) == LowerAscii(path) ||
         WindowsServices::IsSameFile(own.c_str(), path.c_str());
}

// The length of the path's folder part, up to its last '\\', '/' or ':'.
// Stepped by whole characters: the second byte of a double-byte character
// may be a backslash.
std::size_t FolderLength(const std::string& path) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (WindowsServices::IsLeadByte(path[i]) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
      length = i + 1;
    }
  }
  return length;
}

bool RecordNamesThisLauncher() {
  const std::string own = WindowsServices::OwnFileName();
  if (IsSpellingOf(own, MainProgramPath)) return true;
  // A bare name is looked for in the launcher's own folder first, with
  // ".exe" added when it has no extension: a launcher started from another
  // folder would otherwise start itself over and over.
  if (FolderLength(MainProgramPath) != 0) return false;
  const std::string folder = own.substr(0, FolderLength(own));
  return IsSpellingOf(own, folder + MainProgramPath) ||
         IsSpellingOf(own, folder + MainProgramPath + ".exe");
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
