#include "capture/patience.h"

#include <algorithm>

namespace capture {

Patience ForFirstBuffer() { return Patience{0, FirstBufferPatienceMs}; }

Patience ForNextBuffer() { return Patience{0, BufferPatienceMs}; }

bool Exhausted(Patience& patience, uint32_t passMs)
{
    patience.waitedMs += std::min(passMs, LongestCountedPassMs);
    return patience.waitedMs >= patience.limitMs;
}

}  // namespace capture
