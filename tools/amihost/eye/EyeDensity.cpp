#include "tools/amihost/eye/EyeDensity.h"

#include <algorithm>
#include <cmath>

namespace {

// Sample indices c of the bits drawn: k from max(FirstBit, 1), while the
// trace [c - spb, c + spb] lies inside the wave; at most `limit`.
std::vector<std::size_t> Centres(std::size_t size, const EyeResult& eye, std::size_t spb, std::size_t limit)
{
    std::vector<std::size_t> centres;
    for (std::size_t k = std::max<std::size_t>(eye.FirstBit, 1); centres.size() < limit; ++k) {
        const std::size_t c = k * spb + eye.Latency;
        if (c + spb >= size)
            break;
        centres.push_back(c);
    }
    return centres;
}

} // namespace

EyeDensity EyeDensity::Measure(const std::vector<double>& wave, const EyeResult& eye, int samplesPerBit)
{
    EyeDensity density;
    const std::size_t spb = static_cast<std::size_t>(std::max(samplesPerBit, 1));
    const std::vector<std::size_t> centres = Centres(wave.size(), eye, spb, MaxTraces);
    if (centres.empty())
        return density;
    double low = wave[centres[0]];
    double high = low;
    for (std::size_t c : centres)
        for (std::size_t i = c - spb; i <= c + spb; ++i) {
            low = std::min(low, wave[i]);
            high = std::max(high, wave[i]);
        }
    const double pad = (high - low) * 0.06;
    density.low_ = pad > 0.0 ? low - pad : low - 0.5;
    density.high_ = pad > 0.0 ? high + pad : low + 0.5;
    for (std::size_t c : centres)
        density.Draw(wave, c, spb);
    density.traces_ = centres.size();
    return density;
}

double EyeDensity::Peak() const { return *std::max_element(cells_.begin(), cells_.end()); }

// Called some thousand times a trace: inline in Draw.
inline void EyeDensity::Splat(double column, double row, double weight)
{
    // Cell centres sit at index + 1/2; weight beyond the outer centres stays
    // in the outer cells.
    const double x = std::clamp(column - 0.5, 0.0, Columns - 1.0);
    const double y = std::clamp(row - 0.5, 0.0, Rows - 1.0);
    const int c0 = std::min(static_cast<int>(x), Columns - 2);
    const int r0 = std::min(static_cast<int>(y), Rows - 2);
    const double fx = x - c0;
    const double fy = y - r0;
    double* cell = &cells_[static_cast<std::size_t>(r0) * Columns + c0];
    cell[0] += weight * (1.0 - fx) * (1.0 - fy);
    cell[1] += weight * fx * (1.0 - fy);
    cell[Columns] += weight * (1.0 - fx) * fy;
    cell[Columns + 1] += weight * fx * fy;
}

void EyeDensity::Draw(const std::vector<double>& wave, std::size_t centre, std::size_t spb)
{
    constexpr int Points = Columns * Steps + 1;
    const double rowsPerUnit = Rows / (high_ - low_);
    // The trace at Points equally spaced instants from -1 to +1 UI, in rows.
    double rows[Points];
    for (int p = 0; p < Points; ++p) {
        const double position =
            static_cast<double>(centre - spb) + 2.0 * static_cast<double>(spb) * p / (Points - 1);
        const std::size_t i = std::min(static_cast<std::size_t>(position), centre + spb - 1);
        const double f = position - static_cast<double>(i);
        rows[p] = (wave[i] + (wave[i + 1] - wave[i]) * f - low_) * rowsPerUnit;
    }
    const double width = 1.0 / Steps; // columns per piece
    for (int p = 0; p + 1 < Points; ++p) {
        const double rise = rows[p + 1] - rows[p];
        const int parts = std::max(1, static_cast<int>(std::ceil(2.0 * std::fabs(rise))));
        for (int q = 0; q < parts; ++q) {
            const double t = (q + 0.5) / parts;
            Splat((p + t) * width, rows[p] + rise * t, width / parts);
        }
    }
}
