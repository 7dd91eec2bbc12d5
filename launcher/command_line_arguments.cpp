#include "command_line_arguments.h"

#include "windows_services.h"

namespace {

bool IsBlank(char c) {
  const unsigned char code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

// Appends the character at `p` (one or two bytes) and returns the next one.
const char* TakeCharacter(const char* p, std::string& into) {
  into += *p;
  if (WindowsServices::IsLeadByte(*p) && p[1] != '\0') into += *++p;
  return p + 1;
}

// One argument starting at `p`; empty at the end of the line.
std::string TakeArgument(const char*& p) {
  std::string argument;
  while (*p != '\0') {
    if (*p == '"') {
      // A quoted section runs to the next quote or to the end of the line.
      ++p;
      while (*p != '\0' && *p != '"') p = TakeCharacter(p, argument);
      if (*p == '"') ++p;
    } else if (IsBlank(*p)) {
      break;
    } else {
      p = TakeCharacter(p, argument);
    }
  }
  return argument;
}

void SkipSeparators(const char*& p) {
  for (;;) {
    while (IsBlank(*p)) ++p;
    // An empty pair of quotes is no argument at all.
    if (p[0] == '"' && p[1] == '"') {
      p += 2;
      continue;
    }
    return;
  }
}

bool NeedsQuotes(const std::string& argument) {
  for (const char c : argument) {
    if (IsBlank(c)) return true;
  }
  return false;
}

// A lead byte at the very end of a line is a character of its own; such an
// argument is always the last one.
bool EndsInLoneLeadByte(const std::string& argument) {
  bool lone = false;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    lone = WindowsServices::IsLeadByte(argument[i]);
    if (lone && i + 1 < argument.size()) {
      ++i;
      lone = false;
    }
  }
  return lone;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine) {
  std::vector<std::string> arguments;
  const char* p = commandLine;
  for (;;) {
    SkipSeparators(p);
    std::string argument = TakeArgument(p);
    if (argument.empty()) return arguments;
    arguments.push_back(std::move(argument));
  }
}

std::string ForwardedArguments(const std::vector<std::string>& arguments) {
  std::string tail;
  for (const std::string& argument : arguments) {
    tail += ' ';
    if (NeedsQuotes(argument)) {
      tail += '"' + argument;
      // A closing quote would be read as the lone lead byte's second half;
      // an open quoted section runs to the end of the line anyway.
      if (!EndsInLoneLeadByte(argument)) tail += '"';
    } else {
      tail += argument;
    }
  }
  return tail;
}
