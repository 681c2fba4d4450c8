// Part of the shared library only, and only where the C++ runtime is linked
// into it statically (then the library has a runtime of its own).
//
// That runtime allocates an emergency pool for exceptions (about 71 KB) when
// the library is loaded and never frees it: a simulator that loads and
// unloads the model for every run would lose that much each time. The
// runtime's __gnu_cxx::__freeres releases it; the library calls it as it is
// unloaded (or as the process ends), when no code of it can throw any more.

#include <cstddef> // defines __GLIBCXX__ when the runtime is GNU's

// Only GNU's runtime keeps such a pool on the heap; LLVM's keeps its
// fallback buffer in static storage, which unloading returns.
#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __freeres() noexcept; // defined by the runtime, declared in none of its headers
}

namespace {

__attribute__((destructor)) void ReleaseRuntimePool()
{
    __gnu_cxx::__freeres();
}

} // namespace
#endif
