// Splitting a raw command line into arguments, and writing arguments back
// into a command-line tail that splits into the same arguments again.
#pragma once

#include <string>
#include <vector>

// Every non-empty argument of the raw command line, the program name first.
// Characters are stepped whole, so double-byte characters stay intact.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// Each argument preceded by one space; an argument holding a space or a
// control character is put in double quotes so it arrives as one argument.
std::string ForwardedArguments(const std::vector<std::string>& arguments);
