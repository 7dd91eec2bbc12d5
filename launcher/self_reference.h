// Whether starting the product record would start this launcher again.
#pragma once

#include <string>

// True when any program the platform may take from a command line starting
// with the record is this launcher's own file, in whatever spelling.
bool RecordNamesThisLauncher(const std::string& record);
