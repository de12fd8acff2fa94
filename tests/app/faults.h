// What the fault tests share: object counts, the warnings that came up,
// the idle window and a Start that records, and the fixture over the real
// main window with the export's clock and folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/capture/capture_fixture.h"
#include "tests/export/export_fixture.h"
#include "tests/support/win32_test_support.h"

namespace faults {

using Capture = CaptureTest;

using Counts = testsupport::ObjectCounts;
using testsupport::ExpectCountsAre;
using testsupport::SettledObjectCounts;

// The texts of the "Warning" boxes that came up during `action`; the watcher
// closes each with OK.
std::vector<std::string> WarningsDuring(void (*action)());

extern const char DidNotOpen[];  // Start's warning for a device that does not open

// The window as the user finds it when nothing runs.
void ExpectIdle(const std::string& after);

// With a sound card that works again, the next Start records: a 0 dB tone
// on bin 24 reaches Spectrum, and Stop closes the device.
void ExpectNextStartWorks(const std::string& after);

class Faults : public ExportTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Load the shared cross-hair before the test counts objects.
    bool loadCrossHair = true;
};

}  // namespace faults
