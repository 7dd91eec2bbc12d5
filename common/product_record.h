// Where the product's main program lives: one registry string written by the
// product's installer and only read here.
#pragma once

#include <string>

constexpr const char* ProductKey = "SOFTWARE\\Orrindale\\Vellumark";
constexpr const char* ProductRecordValue = "EXEFilePath";

// The main program's path exactly as stored, or empty text.
std::string ReadProductRecord();

// The command line that starts the program at this path: the path in double
// quotes, so that a path with spaces cannot start a shorter one. A path that
// already holds a quote is not a bare file name and is used as stored.
std::string QuotedProgramPath(const std::string& path);
