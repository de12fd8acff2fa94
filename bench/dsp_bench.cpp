// Time per spectrum pass, next to FFTW3f doing the same work: the same
// windowing with gain, an r2c transform of 1024 points from stored wisdom,
// and the same magnitude and averaging operations (bench/fftw_pass.h). Each
// pass runs with each kernel (SSE2, AVX) against FFTW with that kernel's
// glue; the straightforward reference pass is measured too. After the run
// one line per window kind and kernel gives the ratios to FFTW.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/fftw_pass.h"
#include "dsp/fast_pass.h"

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

// Kernel 0 is SSE2, 1 AVX; a benchmark whose kernel this processor lacks
// is skipped.
bool StartWithKernel(benchmark::State& state)
{
    StartAnalysis();
    if (!dsp::UsePassKernel(static_cast<dsp::PassKernel>(state.range(1)))) {
        state.SkipWithError("kernel not supported here");
        return false;
    }
    return true;
}

void BM_RunPass(benchmark::State& state)
{
    const int32_t kind = static_cast<int32_t>(state.range(0));
    if (!StartWithKernel(state))
        return;
    for (auto _ : state) {
        dsp::RunPass(Block.data(), kind);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(dsp::Spectrum[100]);
}

void BM_RunPassReference(benchmark::State& state)
{
    const int32_t kind = static_cast<int32_t>(state.range(0));
    StartAnalysis();
    for (auto _ : state) {
        dsp::RunPassReference(Block.data(), kind);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(dsp::Spectrum[100]);
}

void BM_Fftw(benchmark::State& state)
{
    const int32_t kind = static_cast<int32_t>(state.range(0));
    if (!StartWithKernel(state))
        return;
    static bench::FftwPass fftw;
    for (auto _ : state) {
        fftw.Run(Block.data(), kind);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(fftw.spectrum[100]);
}

BENCHMARK(BM_RunPass)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Fftw)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})->Unit(benchmark::kNanosecond);
BENCHMARK(BM_RunPassReference)->DenseRange(0, 5)->Unit(benchmark::kNanosecond);

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
    bench::FftwPass fftw;
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
    const auto time = [&](const std::string& name) {
        const auto found = reporter.nanoseconds.find(name);
        return found == reporter.nanoseconds.end() ? 0.0 : found->second;
    };
    std::printf("\nkind  kernel  pass cpu ns  fftw cpu ns  ratio  reference ns  ratio  max diff/peak\n");
    for (int32_t kind = 0; kind <= 5; ++kind) {
        for (int kernel = 0; kernel <= 1; ++kernel) {
            const std::string suffix = "/" + std::to_string(kind) + "/" + std::to_string(kernel);
            const double pass = time("BM_RunPass" + suffix);
            const double fftw = time("BM_Fftw" + suffix);
            const double reference = time("BM_RunPassReference/" + std::to_string(kind));
            if (pass == 0.0 || fftw == 0.0)
                continue;
            std::printf("%4d  %-6s  %11.0f  %11.0f  %5.2f  %12.0f  %5.2f  %.2g\n", kind,
                        kernel ? "avx" : "sse2", pass, fftw, pass / fftw, reference,
                        reference / fftw, Agreement(kind));
        }
    }
    if (bench::WisdomWasMade())
        std::printf("FFTW wisdom made and stored in %s\n", bench::WisdomFile());
    benchmark::Shutdown();
    return 0;
}
