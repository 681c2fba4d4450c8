#include <gtest/gtest.h>

#include <dlfcn.h>
#include <malloc.h>

#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define HALVEX_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define HALVEX_SANITIZED 1
#endif

namespace {

using InitFn = long (*)(double*, long, long, double, double, char*, char**, void**, char**);
using CloseFn = long (*)(void*);

// Loads the model, runs one instance through AMI_Init and AMI_Close, and
// unloads it again, as a simulator does for each run. False when the model
// cannot be loaded or refuses. (Unused in sanitized builds.)
[[maybe_unused]] bool LoadRunUnload()
{
    void* library = dlopen(HALVEX_MODEL_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return false;
    auto init = reinterpret_cast<InitFn>(dlsym(library, "AMI_Init"));
    auto close = reinterpret_cast<CloseFn>(dlsym(library, "AMI_Close"));
    char parameters[] = "(Halvex_tx (de 4))";
    void* handle = nullptr;
    char* message = nullptr;
    const bool ok = init && close &&
                    init(nullptr, 0, 0, 1e-9, 1e-9, parameters, nullptr, &handle, &message) == 1 &&
                    close(handle) == 1;
    dlclose(library);
    return ok;
}

} // namespace

TEST(RuntimeRelease, LoadingAndUnloadingTheModelLeavesNoHeapBehind)
{
#if defined(HALVEX_SANITIZED)
    GTEST_SKIP() << "sanitized builds share the process's C++ runtime and replace its heap";
#else
    ASSERT_TRUE(LoadRunUnload()); // the first load may set up the process's own state
    const std::size_t before = mallinfo2().uordblks;
    const int cycles = 10;
    for (int i = 0; i < cycles; ++i)
        ASSERT_TRUE(LoadRunUnload());
    const std::size_t after = mallinfo2().uordblks;
    // The statically linked runtime's exception pool alone is about 71 KB a load.
    EXPECT_LT(after, before + 16384) << "heap in use grew by " << after - before << " bytes over "
                                      << cycles << " load/unload cycles";
#endif
}
