// Explicit instantiations: every element type of the buffer family, its timed
// variant and a bus of each, so that all of them are compiled with the library.
#include "runtime/CircularBuffer.h"
#include "runtime/CircularBufferBus.h"

namespace TorvaneModelBuilder {

#define HALVEX_BUFFER_FAMILY(T)                                   \
    template class CircularBuffer<T>;                             \
    template class TimedCircularBuffer<T>;                        \
    template class CircularBufferBusT<CircularBuffer<T>>;         \
    template class CircularBufferBusT<TimedCircularBuffer<T>>;    \
    template class CircularBufferE<Matrix<T>>;                    \
    template class CircularBuffer<Matrix<T>>;                     \
    template class TimedCircularBuffer<Matrix<T>>;                \
    template class CircularBufferBusT<CircularBuffer<Matrix<T>>>; \
    template class CircularBufferBusT<TimedCircularBuffer<Matrix<T>>>;

HALVEX_BUFFER_FAMILY(bool)
HALVEX_BUFFER_FAMILY(int)
HALVEX_BUFFER_FAMILY(float)
HALVEX_BUFFER_FAMILY(double)
HALVEX_BUFFER_FAMILY(std::complex<float>)
HALVEX_BUFFER_FAMILY(std::complex<double>)
#undef HALVEX_BUFFER_FAMILY

template class CircularBuffer<EnvelopeSignal>;
template class TimedCircularBuffer<EnvelopeSignal>;
template class CircularBufferBusT<CircularBuffer<EnvelopeSignal>>;
template class CircularBufferBusT<TimedCircularBuffer<EnvelopeSignal>>;

} // namespace TorvaneModelBuilder
