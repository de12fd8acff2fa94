#include "tests/app/faults.h"

#include "capture/capture.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "tests/capture/capture_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"

namespace faults {

void Faults::SetUp()
{
    display::ResetMouseState();
    // The plot's cross-hair is loaded shared at the first mouse message over
    // the plot after a pass and kept by the system for the process. Wine
    // makes up mouse moves when a window shows, hides or closes, so that
    // first load can fall inside a test's count: it is done here instead.
    if (loadCrossHair)
        LoadImageA(nullptr, IDC_CROSS, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    ExportTest::SetUp();
}

void Faults::TearDown()
{
    scripted::Uninstall();
    ExportTest::TearDown();
    if (display::MemoryDC)
        display::ReleasePlotSurface();
}

}  // namespace faults
