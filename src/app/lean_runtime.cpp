// Two pieces of the C++ runtime, replaced so that SetupVTR.exe stays small.
//
// Nothing in the program catches the standard library's own errors (a string too long, an
// index out of range, an empty function called, memory exhausted): each is a fault that ends
// the program through std::terminate, which ends it as abort() does. The runtime's versions
// do the same, but they drag in every standard exception class with its own copy-on-write
// string, and the terminate handler prints the exception's demangled type to a console that a
// windowed program does not have: together about a quarter of the executable.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() {
  std::abort();
}

}  // namespace __gnu_cxx

namespace std {

// Running out of memory still throws what operator new is documented to throw.
[[noreturn]] void __throw_bad_alloc() {
  throw bad_alloc();
}

[[noreturn]] void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}

[[noreturn]] void __throw_length_error(const char* /*what*/) {
  abort();
}

[[noreturn]] void __throw_logic_error(const char* /*what*/) {
  abort();
}

[[noreturn]] void __throw_out_of_range_fmt(const char* /*format*/, ...) {
  abort();
}

[[noreturn]] void __throw_bad_function_call() {
  abort();
}

}  // namespace std
