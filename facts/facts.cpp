#include "facts/facts.h"

namespace facts {

HWND MainDialog = nullptr;
HWND SampleRatePanel = nullptr;
int32_t SampleRate = 0;

}  // namespace facts
