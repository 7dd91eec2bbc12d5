// The launcher: find the main program and start it with our own arguments.
#pragma once

#include <string>

namespace Engine {

// Read once at start-up and kept until the process ends.
extern std::string MainProgramPath;
extern std::string ArgumentTail;

// Reads the product record and collects the arguments after our own name.
void StartUp();

// Starts the main program, unless there is none or the record names this very
// launcher, which must never start itself.
void StartMainProgram();

}  // namespace Engine
