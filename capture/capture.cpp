#include "capture/capture.h"

namespace capture {

HWAVEIN WaveIn = 0;
int32_t SampleRate = 0;
int32_t InputDevice = 0;

}  // namespace capture
