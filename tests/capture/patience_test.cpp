// The capture loop's patience: 5 s for the first buffer, 2 s for each later
// one, and a pass that ran a modal loop counts no more than 50 ms.
#include "capture/patience.h"

#include <gtest/gtest.h>

namespace {

TEST(Patience, CountsTheLoopsOwnPassesUpToItsLimit)
{
    // Passes of 1 ms, with one of `longMs` after the first `before`; the
    // pass (from 1) that exhausts the patience.
    struct Row { const char* what; capture::Patience patience; int before; uint32_t longMs; int pass; };
    const Row rows[] = {
        {"first buffer", capture::ForFirstBuffer(), 0, 1, 5000},
        {"later buffer", capture::ForNextBuffer(), 0, 1, 2000},
        {"a 5 s menu after 1 s", capture::ForNextBuffer(), 1000, 5000, 1000 + 1 + 950},
        {"a pass of 50 ms", capture::ForNextBuffer(), 0, 50, 1 + 1950},
        {"a pass of 49.7 days", capture::ForFirstBuffer(), 10, 0xFFFFFFFFu, 10 + 1 + 4940},
    };
    for (Row row : rows) {
        int pass = 1;
        while (pass < 100000 && !capture::Exhausted(row.patience, pass == row.before + 1 ? row.longMs : 1))
            ++pass;
        EXPECT_EQ(pass, row.pass) << row.what;
    }
}

}  // namespace
