#include "display/trace.h"

#include "dsp/numeric.h"
#include "dsp/readings.h"

namespace display {

namespace {

// An empty bin, whose level is minus infinity, is drawn on the row just below
// the plot instead of on its top edge, where the logarithm rule would put it.
int32_t TraceY(float amplitude, float scaleY, int32_t reference)
{
    return LevelToYScaled(amplitude == 0.0f ? 1.0 : amplitude, scaleY, reference);
}

// x of bins 0..512 on the logarithmic axis, worked out once: a logarithm per
// bin is the dearest part of a trace.
const std::array<int32_t, dsp::BinCount>& LogarithmicColumns()
{
    static const std::array<int32_t, dsp::BinCount> columns = [] {
        std::array<int32_t, dsp::BinCount> x{};
        for (int32_t bin = 1; bin < dsp::BinCount; ++bin)
            x[bin] = BinToX(bin, LogarithmicScale);
        return x;
    }();
    return columns;
}

}  // namespace

std::array<Point, dsp::BinCount> TracePoints(const float* spectrum, int32_t scale,
                                               int32_t height, int32_t reference)
{
    const float scaleY = LevelScale(height, reference);
    std::array<Point, dsp::BinCount> points;
    points[0] = Point{0, TraceY(spectrum[1], scaleY, reference)};
    const bool logarithmic = scale == LogarithmicScale;
    const std::array<int32_t, dsp::BinCount>& columns = LogarithmicColumns();
    for (int32_t bin = 1; bin < dsp::BinCount; ++bin)
        points[bin] = Point{logarithmic ? columns[bin] : bin,
                            TraceY(spectrum[bin], scaleY, reference)};
    return points;
}

std::vector<Point> ZoomViewPoints(const float* spectrum, int32_t s, int32_t e, int32_t scale,
                                  int32_t width, int32_t height, int32_t reference)
{
    std::vector<Point> points;
    if (width < 0)
        return points;
    points.reserve(static_cast<size_t>(width) + 1);
    const float scaleY = LevelScale(height, reference);
    for (int32_t x = 0; x <= width; ++x) {
        // Two columns share each half-pixel position, so column 0 and 1 show
        // the band's first bin.
        const int32_t u = dsp::Int(x / 2.0);
        const int32_t bin = SpectrumIndex(ZoomColumnToBin(u, s, e, scale, width));
        points.push_back(Point{x, TraceY(spectrum[bin], scaleY, reference)});
    }
    return points;
}

int32_t ReadoutBin(float frequency, int32_t sampleRate)
{
    return SpectrumIndex(dsp::FrequencyBin(frequency, sampleRate));
}

std::string ReadoutText(float frequency, float level)
{
    return dsp::FormatMask(frequency, ReadoutDecimals) + "Hz, " +
           dsp::FormatLevel(level, ReadoutDecimals) + "dB";
}

}  // namespace display
