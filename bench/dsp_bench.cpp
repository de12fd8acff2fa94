// Time per spectrum pass, next to FFTW3f doing the same work: the same
// windowing with gain, an r2c transform of 1024 points planned once, and the
// same magnitude and averaging loop. After the run one line per window kind
// gives pass time / FFTW time.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "dsp/fft.h"

namespace {

// The block every benchmark transforms: a tone off the bin grid over noise,
// from a fixed LCG so that every run sees the same numbers.
std::vector<int16_t> InputBlock()
{
    std::vector<int16_t> block(2048);
    uint64_t state = 0x5eed;
    for (int n = 0; n < 2048; ++n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const int noise = static_cast<int>((state >> 33) % 2001) - 1000;
        const double tone = 12000.0 * std::sin(2.0 * 3.141592653589793 * 100.37 * n / 1024.0);
        block[n] = static_cast<int16_t>(std::lround(tone) + noise);
    }
    return block;
}

const std::vector<int16_t> Block = InputBlock();

// The analysis state as the running program has it, with some averaging.
void StartAnalysis()
{
    dsp::ResetState();
    dsp::StartUp();
    dsp::InitialiseSettings();
    dsp::AveragingFactor = 0.125f;
}

// FFTW's buffers and plan, made once.
struct FftwPass {
    float* in = nullptr;
    fftwf_complex* out = nullptr;
    fftwf_plan plan = nullptr;
    float magnitudes[dsp::BinCount] = {};
    float spectrum[dsp::BinCount] = {};

    FftwPass()
    {
        in = fftwf_alloc_real(dsp::FftLength);
        out = fftwf_alloc_complex(dsp::BinCount);
        plan = fftwf_plan_dft_r2c_1d(dsp::FftLength, in, out, FFTW_MEASURE);
    }
    ~FftwPass()
    {
        fftwf_destroy_plan(plan);
        fftwf_free(out);
        fftwf_free(in);
    }

    // The pass's windowing, magnitudes and average around FFTW's transform
    // (natural order in, so no bit reversal).
    void Run(const int16_t* samples, int32_t kind)
    {
        const float* table = dsp::WindowTableFor(kind);
        const double gain = table ? dsp::WindowGain[kind] : 1.0;
        for (int32_t n = 0; n < dsp::FftLength; ++n) {
            const double s = samples[n];
            in[n] = table ? static_cast<float>(s * table[n] * gain) : static_cast<float>(s);
        }
        fftwf_execute(plan);
        const double alpha = dsp::AveragingFactor;
        for (int32_t k = 0; k < dsp::BinCount; ++k) {
            const double re = out[k][0];
            const double im = out[k][1];
            magnitudes[k] = static_cast<float>(std::sqrt(re * re + im * im) / 100
                                               * dsp::OffsetMultiplier);
            spectrum[k] = static_cast<float>((1.0 - alpha) * spectrum[k] + alpha * magnitudes[k]);
        }
    }
};

void BM_RunPass(benchmark::State& state)
{
    const int32_t kind = static_cast<int32_t>(state.range(0));
    StartAnalysis();
    for (auto _ : state) {
        dsp::RunPass(Block.data(), kind);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(dsp::Spectrum[100]);
}

void BM_Fftw(benchmark::State& state)
{
    const int32_t kind = static_cast<int32_t>(state.range(0));
    StartAnalysis();
    static FftwPass fftw;
    for (auto _ : state) {
        fftw.Run(Block.data(), kind);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(fftw.spectrum[100]);
}

BENCHMARK(BM_RunPass)->DenseRange(0, 5)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Fftw)->DenseRange(0, 5)->Unit(benchmark::kNanosecond);

// The console output, plus each run's CPU time kept by name for the ratios
// (CPU rather than wall time: the machines we measure on are shared).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> nanoseconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                nanoseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// Both versions on one block from a zero start: the largest difference
// relative to the peak shows that they did the same work.
double Agreement(int32_t kind)
{
    StartAnalysis();
    dsp::AveragingFactor = 1.0f;
    dsp::RunPass(Block.data(), kind);
    FftwPass fftw;
    fftw.Run(Block.data(), kind);
    double peak = 0.0, worst = 0.0;
    for (int32_t k = 0; k < dsp::BinCount; ++k) {
        peak = std::fmax(peak, fftw.magnitudes[k]);
        worst = std::fmax(worst, std::fabs(fftw.magnitudes[k] - dsp::FftReal[k]));
    }
    return worst / peak;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nkind  pass cpu ns  fftw cpu ns  ratio  max diff/peak\n");
    for (int32_t kind = 0; kind <= 5; ++kind) {
        const std::string suffix = "/" + std::to_string(kind);
        const auto pass = reporter.nanoseconds.find("BM_RunPass" + suffix);
        const auto fftw = reporter.nanoseconds.find("BM_Fftw" + suffix);
        if (pass == reporter.nanoseconds.end() || fftw == reporter.nanoseconds.end())
            continue;
        std::printf("%4d  %11.0f  %11.0f  %5.2f  %.2g\n", kind, pass->second, fftw->second,
                    pass->second / fftw->second, Agreement(kind));
    }
    benchmark::Shutdown();
    return 0;
}
