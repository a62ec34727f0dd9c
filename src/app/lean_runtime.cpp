// Two pieces of the C++ runtime, replaced so that SetupVTR.exe stays small.
//
// The standard library's own errors (a string too long, an index out of range, an empty
// function called, memory exhausted) are faults that Main catches: it ends the run as a
// failure with a line that says what happened. The runtime's versions throw the standard
// exception classes, which drag in every one of them with its own copy-on-write string, and
// the terminate handler prints the exception's demangled type to a console that a windowed
// program does not have: together about a quarter of the executable. These throw one small
// class instead, with the library's own text; what still reaches std::terminate (an error
// thrown where none may pass) ends the program as abort() does.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

// A standard library error. The texts the library passes are string literals.
class LibraryError final : public std::exception {
 public:
  explicit LibraryError(const char* what) noexcept : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
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

[[noreturn]] void __throw_length_error(const char* what) {
  throw LibraryError(what);
}

[[noreturn]] void __throw_logic_error(const char* what) {
  throw LibraryError(what);
}

// The format names the index and the size; its arguments are not kept.
[[noreturn]] void __throw_out_of_range_fmt(const char* /*format*/, ...) {
  throw LibraryError("an index out of range");
}

[[noreturn]] void __throw_bad_function_call() {
  throw LibraryError("an empty function called");
}

}  // namespace std
