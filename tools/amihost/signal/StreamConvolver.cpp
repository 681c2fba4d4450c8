#include "tools/amihost/signal/StreamConvolver.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <utility>

#include <kissfft/kissfft.hh>

namespace {

using Complex = std::complex<double>;

// New inputs the direct path takes per stretch: enough to make the copy of
// the m-1 carried inputs negligible, small enough to stay in the first-level
// cache with 256 taps.
constexpr std::size_t DirectStretch = 4096;

// The smallest power of two >= 2m + granule: a block of L >= m inputs (L
// the largest multiple of the granule <= N - m + 1), so that a block's tail
// reaches only into the next block. Larger sizes save little per sample and
// leave the second-level cache (measured at 46,750 taps: 131072 is the
// fastest).
std::size_t FftSize(std::size_t m, std::size_t granule)
{
    std::size_t size = 1;
    while (size < 2 * m + granule)
        size *= 2;
    return size;
}

// Operations of a transform pair of size N in units of one multiply-add of
// the direct sum: measured near N log2 N.
double TransformCost(std::size_t size)
{
    return static_cast<double>(size) * std::log2(static_cast<double>(size));
}

} // namespace

// A real block b[0 .. N) of which the first L are inputs and the rest zero
// goes to the spectrum as N/2 complex values (kissfft's real transform: b as
// z[n] = b[2n] + i b[2n+1], then unfolded, DC and Nyquist packed into bin 0),
// is multiplied by H / N into Y, folded back into the spectrum of z,
//   Z[k] = (Y[k] + conj(Y[M-k])) + i exp(2 pi i k / N) (Y[k] - conj(Y[M-k])),
// M = N/2, and brought back by an unscaled inverse of size M: c[2n] + i
// c[2n+1] = sum_k Z[k] exp(2 pi i k n / M), the block's convolution with h
// (the 1/2 of the fold and the 1/M of the inverse are the 1/N in H / N). The
// inverse is the forward transform of Z[(M-k) mod M].
struct StreamConvolver::Blocks {
    Blocks(const std::vector<double>& taps, std::size_t size, std::size_t granule);

    // The open block's convolution with h, into Output.
    void Convolve();
    // Outputs for positions [from, to) of the open block, into y, before the
    // block is full.
    void Partial(std::size_t from, std::size_t to, const std::vector<double>& taps, double* y);
    const double* Convolution() const { return reinterpret_cast<const double*>(Output.data()); }

    std::size_t Size;  // N
    std::size_t Block; // L: N - m + 1, down to a multiple of the granule
    kissfft<double> Forward; // size M, for both directions
    std::vector<Complex> Spectrum; // H / N, packed as the forward transform packs it
    std::vector<Complex> Unfold;   // i exp(2 pi i k / N), k < M
    std::vector<double> Input;     // the open block: Fill inputs, then zeros (N)
    std::vector<Complex> Work;     // M
    std::vector<Complex> Output;   // M: the convolution, as N doubles
    std::vector<double> Carried;   // earlier blocks' part of the open block's outputs (L; zero from m-1)
    std::size_t Fill = 0;
};

StreamConvolver::Blocks::Blocks(const std::vector<double>& taps, std::size_t size, std::size_t granule)
    : Size(size), Block((size - taps.size() + 1) / granule * granule), Forward(size / 2, false),
      Spectrum(size / 2), Unfold(size / 2), Input(size), Work(size / 2), Output(size / 2), Carried(Block)
{
    const std::size_t half = size / 2;
    std::copy(taps.begin(), taps.end(), Input.begin());
    Forward.transform_real(Input.data(), Spectrum.data());
    std::fill(Input.begin(), Input.end(), 0.0);
    const double scale = 1.0 / static_cast<double>(size);
    for (Complex& value : Spectrum)
        value *= scale;
    const double pi = std::acos(-1.0);
    for (std::size_t k = 0; k < half; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / static_cast<double>(size);
        Unfold[k] = Complex(-std::sin(angle), std::cos(angle));
    }
}

void StreamConvolver::Blocks::Convolve()
{
    const std::size_t half = Size / 2;
    Forward.transform_real(Input.data(), Work.data());
    // Bin 0 holds the real DC and Nyquist values side by side.
    const Complex packed = Work[0];
    const double dc = packed.real() * Spectrum[0].real();
    const double nyquist = packed.imag() * Spectrum[0].imag();
    Output[0] = Complex(dc + nyquist, dc - nyquist);
    // Bins k and M-k fold into each other: one pass, each product once. Z[k]
    // is stored at M-k, because the forward transform of the reversed
    // spectrum is the unscaled inverse of the spectrum, so that one plan (one
    // table of twiddles in the cache) serves both directions.
    for (std::size_t k = 1; 2 * k <= half; ++k) {
        const std::size_t j = half - k;
        const Complex a = Work[k] * Spectrum[k];
        const Complex b = Work[j] * Spectrum[j];
        Output[j] = (a + std::conj(b)) + Unfold[k] * (a - std::conj(b));
        Output[k] = (b + std::conj(a)) + Unfold[j] * (b - std::conj(a));
    }
    // kissfft transforms out of place; the swap leaves the convolution in
    // Output.
    Forward.transform(Output.data(), Work.data());
    std::swap(Work, Output);
}

void StreamConvolver::Blocks::Partial(std::size_t from, std::size_t to, const std::vector<double>& taps, double* y)
{
    const std::size_t m = taps.size();
    double direct = 0.0;
    for (std::size_t j = from; j < to; ++j)
        direct += static_cast<double>(std::min(j, m - 1) + 1);
    if (direct <= TransformCost(Size)) {
        // Carried part first, then ascending k: in the first block this is
        // the whole-wave direct sum, bit for bit.
        for (std::size_t j = from; j < to; ++j) {
            const std::size_t count = std::min(j, m - 1) + 1;
            double sum = Carried[j];
            for (std::size_t k = 0; k < count; ++k)
                sum += taps[k] * Input[j - k];
            y[j - from] = sum;
        }
        return;
    }
    Convolve();
    const double* c = Convolution();
    for (std::size_t j = from; j < to; ++j)
        y[j - from] = Carried[j] + c[j];
}

StreamConvolver::StreamConvolver(std::vector<double> taps, std::size_t granule) : taps_(std::move(taps))
{
    const std::size_t m = taps_.size();
    granule = std::max<std::size_t>(granule, 1);
    if (m > DirectLimit)
        blocks_ = std::make_unique<Blocks>(taps_, FftSize(m, granule), granule);
    else if (m > 0)
        line_.assign(m - 1 + DirectStretch, 0.0);
}

StreamConvolver::~StreamConvolver() = default;
StreamConvolver::StreamConvolver(StreamConvolver&&) noexcept = default;
StreamConvolver& StreamConvolver::operator=(StreamConvolver&&) noexcept = default;

std::size_t StreamConvolver::PreferredChunk() const
{
    return blocks_ ? blocks_->Block : DirectStretch;
}

void StreamConvolver::ProcessDirect(double* x, std::size_t n)
{
    const std::size_t m = taps_.size();
    const std::size_t kept = m - 1;
    while (n > 0) {
        const std::size_t take = std::min(n, DirectStretch);
        std::copy(x, x + take, line_.begin() + static_cast<std::ptrdiff_t>(kept));
        for (std::size_t j = 0; j < take; ++j) {
            // Before the stream's m-th input the sum stops at its first
            // input, as the whole-wave sum does (no products with zeros).
            const std::uint64_t index = seen_ + j;
            const std::size_t count = index + 1 < m ? static_cast<std::size_t>(index + 1) : m;
            const double* newest = line_.data() + kept + j;
            double sum = 0.0;
            for (std::size_t k = 0; k < count; ++k)
                sum += taps_[k] * newest[-static_cast<std::ptrdiff_t>(k)];
            x[j] = sum;
        }
        // Keep the last m-1 inputs at the front for the next stretch.
        if (kept > 0)
            std::memmove(line_.data(), line_.data() + take, kept * sizeof(double));
        seen_ = std::min<std::uint64_t>(seen_ + take, m);
        x += take;
        n -= take;
    }
}

void StreamConvolver::Process(double* x, std::size_t n)
{
    if (n == 0)
        return;
    if (taps_.empty()) {
        std::fill(x, x + n, 0.0);
        return;
    }
    if (!blocks_) {
        ProcessDirect(x, n);
        return;
    }
    Blocks& b = *blocks_;
    const std::size_t tail = taps_.size() - 1; // at most L
    while (n > 0) {
        const std::size_t from = b.Fill;
        const std::size_t take = std::min(n, b.Block - from);
        std::copy(x, x + take, b.Input.begin() + static_cast<std::ptrdiff_t>(from));
        b.Fill += take;
        if (b.Fill < b.Block) {
            // The call ends inside the block: its outputs now, the block
            // transformed again when full.
            b.Partial(from, b.Fill, taps_, x);
            return;
        }
        b.Convolve();
        const double* c = b.Convolution();
        for (std::size_t j = from; j < b.Block; ++j)
            x[j - from] = b.Carried[j] + c[j];
        // The block's tail is the next block's carried part; L > m - 1, so
        // nothing older reaches past it.
        std::copy(c + b.Block, c + b.Block + tail, b.Carried.begin());
        std::fill(b.Input.begin(), b.Input.begin() + static_cast<std::ptrdiff_t>(b.Block), 0.0);
        b.Fill = 0;
        x += take;
        n -= take;
    }
}
