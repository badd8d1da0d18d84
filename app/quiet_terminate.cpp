// How the program ends on an exception that nothing catches. Linked into
// Kivora.exe alone: the tests keep the library's own handler, which says why.
//
// A program without a console has nowhere to print the reason, so the
// handler that would print it (and the name demangler it brings, a tenth of
// the program) gives way to the abort that it ends with too.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
} // namespace __gnu_cxx
