// Replaces the C++ runtime's default terminate handler, which would print a
// demangled message to a console these programs never have. Aborting is all
// that is left to do then, and the demangler and printf machinery it drags
// in would make up a third of each shipped file.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
