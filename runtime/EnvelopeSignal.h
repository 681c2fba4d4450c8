#pragma once

namespace TorvaneModelBuilder {

// A sample of a complex envelope: two double components, both 0.0 when
// default-constructed. Copied as plain bytes by the buffers.
struct EnvelopeSignal {
    double Real = 0.0;      // in-phase component
    double Imaginary = 0.0; // quadrature component
};

inline bool operator==(const EnvelopeSignal& a, const EnvelopeSignal& b)
{
    return a.Real == b.Real && a.Imaginary == b.Imaginary;
}

} // namespace TorvaneModelBuilder
