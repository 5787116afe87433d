// What an exception that escapes everything does in this program: end it.
// GCC's C++ runtime would otherwise link its "verbose" terminate handler,
// which prints the exception's demangled type to stderr before aborting. A
// GUI program has no stderr to show it on, and the demangler it drags into a
// static link is a tenth of the exe. Defining the handler here keeps the
// runtime's copy, and the demangler with it, out of the link.
#include <cstdlib>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler();
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
