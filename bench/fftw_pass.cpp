#include "bench/fftw_pass.h"

#include "bench/fftw_glue.h"
#include "dsp/vector_sse2.h"

namespace bench {

namespace {

bool MadeWisdom = false;

// 516 bins of output (513 used): room for the glue's last group of four.
const int32_t OutputBins = dsp::BinCount + 3;

}  // namespace

const char* WisdomFile()
{
    return BENCH_WISDOM_FILE;
}

bool WisdomWasMade()
{
    return MadeWisdom;
}

FftwPass::FftwPass()
{
    in = fftwf_alloc_real(dsp::FftLength);
    out = fftwf_alloc_complex(OutputBins);
    for (int32_t k = 0; k < OutputBins; ++k)
        out[k][0] = out[k][1] = 0.0f;
    // The plan is made once with FFTW_PATIENT and kept as wisdom; later runs
    // (and the instruction counts) get exactly that plan back.
    const bool known = fftwf_import_wisdom_from_filename(WisdomFile()) != 0;
    plan = fftwf_plan_dft_r2c_1d(dsp::FftLength, in, out, FFTW_PATIENT);
    if (!known) {
        fftwf_export_wisdom_to_filename(WisdomFile());
        MadeWisdom = true;
    }
}

FftwPass::~FftwPass()
{
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}

void FftwPass::Run(const int16_t* samples, int32_t kind)
{
    const float* table = dsp::WindowTableFor(kind);
    const double gain = table ? dsp::WindowGain[kind] : 1.0;
    if (dsp::ActivePassKernel() == dsp::PassKernel::Avx)
        FftwGlueAvx(*this, samples, table, gain);
    else
        FftwGlueSse2(*this, samples, table, gain);
}

void FftwGlueSse2(FftwPass& pass, const int16_t* samples, const float* table, double gain)
{
    FftwGlue<dsp::Sse2>(pass, samples, table, gain);
}

}  // namespace bench
