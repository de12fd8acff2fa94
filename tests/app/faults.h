// What the window-wide fault tests share: object counts, the warnings that
// came up, the idle window, and the fixture over the real main window with
// the export's clock and folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/capture/capture_fixture.h"
#include "tests/commands/commands_fixture.h"
#include "tests/support/win32_test_support.h"

namespace faults {

using Capture = CaptureTest;

using Counts = testsupport::ObjectCounts;
using testsupport::ExpectCountsAre;
using testsupport::SettledObjectCounts;
using testsupport::WarningsDuring;

class Faults : public ExportTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Load the shared cross-hair before the test counts objects.
    bool loadCrossHair = true;
};

}  // namespace faults
