// One pass variant run `count` times in MeasuredPasses, for callgrind to
// count its instructions (tools/measure.sh collects inside that function
// only, after ten passes that bring the state and caches to steady state):
//   pass_cost fast|reference|fftw sse2|avx KIND COUNT
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/fftw_pass.h"
#include "dsp/fast_pass.h"

namespace {

enum Variant { Fast, Reference, Fftw };

#if defined(__GNUC__)
__attribute__((noinline))
#endif
void MeasuredPasses(Variant variant, bench::FftwPass& fftw, const int16_t* block, int32_t kind,
                    int count)
{
    for (int i = 0; i < count; ++i) {
        if (variant == Fast)
            dsp::RunPass(block, kind);
        else if (variant == Reference)
            dsp::RunPassReference(block, kind);
        else
            fftw.Run(block, kind);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: pass_cost fast|reference|fftw sse2|avx KIND COUNT\n");
        return 2;
    }
    const Variant variant = std::strcmp(argv[1], "fast") == 0        ? Fast
                            : std::strcmp(argv[1], "reference") == 0 ? Reference
                                                                     : Fftw;
    const int32_t kind = std::atoi(argv[3]);
    const int count = std::atoi(argv[4]);
    dsp::ResetState();
    dsp::StartUp();
    dsp::InitialiseSettings();
    dsp::AveragingFactor = 0.125f;
    const dsp::PassKernel kernel =
        std::strcmp(argv[2], "avx") == 0 ? dsp::PassKernel::Avx : dsp::PassKernel::Sse2;
    if (!dsp::UsePassKernel(kernel)) {
        std::fprintf(stderr, "pass_cost: kernel %s not supported here\n", argv[2]);
        return 3;
    }
    std::vector<int16_t> block(2048);
    uint32_t state = 12345;
    for (int16_t& s : block) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<int16_t>(state >> 16);
    }
    bench::FftwPass fftw;
    MeasuredPasses(variant, fftw, block.data(), kind, 10);
    MeasuredPasses(variant, fftw, block.data(), kind, count);
    std::printf("%s %s kind %d: %d passes\n", argv[1], argv[2], kind, count);
    return 0;
}
