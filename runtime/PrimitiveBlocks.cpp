// Explicit instantiations of the primitive blocks for the element types the
// model uses, so that their templates are compiled with the library.
#include "runtime/ConstUnTimed.h"
#include "runtime/Fork.h"
#include "runtime/Gain.h"
#include "runtime/Mux.h"
#include "runtime/TypeConverter.h"

namespace TorvaneModelBuilder {

template class Fork<CircularBuffer<double>>;
template class Mux<CircularBuffer<double>>;
template class Gain<double>;
template class ConstUnTimedBase<double, CircularBuffer<double>>;
template class ConstUnTimed<double>;
template class ScalarToScalar<CircularBuffer<double>, CircularBuffer<int>, TypeConverterRound>;

} // namespace TorvaneModelBuilder
