// Portable kernels: one double per "vector", for processors without a SIMD
// level of their own. Also the reference the SIMD levels are tested against.
#include "runtime/filters/FirBlockKernelBody.h"
#include "runtime/filters/FirBlockKernelLevels.h"

namespace TorvaneModelBuilder {
namespace {

struct ScalarOps {
    using V = double;
    static constexpr std::size_t Width = 1;
    static V Zero() { return 0.0; }
    static V Broadcast(double s) { return s; }
    static V Load(const double* p) { return *p; }
    static void Store(double* p, V v) { *p = v; }
    static V Mul(V a, V b) { return a * b; }
    static V Add(V a, V b) { return a + b; }
    using Mask = bool;
    static Mask Lanes(int lo, int hi) { return lo < hi; }
    static V Select(Mask m, V keep, V take) { return m ? take : keep; }
    static V LoadLanes(const double* p, std::ptrdiff_t s, int lo, int hi)
    {
        return lo < hi ? p[s] : 0.0;
    }
};

} // namespace

const FirBlockKernels PortableKernels = {
    SimdLevel::Portable, "portable", FirBlockBody::Convolve<ScalarOps, 4>};

} // namespace TorvaneModelBuilder
