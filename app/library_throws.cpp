// The standard library's own throws, defined here. Its versions build each
// exception's message as a string of the library's older kind, which takes
// in a second copy of the string code and the error categories (about 40 KB
// of the exe) for errors that Kivora never meets on purpose: a length past
// any memory, a position past an end, a lock that fails. Each still throws
// and ends where it did (caught by a catch-all, or the end of the program);
// only the exception's type is the same for all: out of memory.
#include <new>

namespace std {

[[noreturn]] void __throw_bad_alloc() { throw bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw bad_array_new_length(); }
[[noreturn]] void __throw_length_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_logic_error(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_out_of_range(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }
[[noreturn]] void __throw_invalid_argument(const char*) { throw bad_alloc(); }
[[noreturn]] void __throw_system_error(int) { throw bad_alloc(); }

} // namespace std
