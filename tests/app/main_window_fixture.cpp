#include "tests/app/main_window_fixture.h"

#include "capture/capture.h"
#include "dsp/fft.h"
#include "tests/support/win32_test_support.h"

namespace apptest {

void MouseAt(HWND window, UINT message, int x)
{
    POINT point = {x, 5};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
    ScreenToClient(facts::MainDialog, &point);
    SendMessageA(facts::MainDialog, message, 0, MAKELPARAM(point.x, point.y));
}

std::vector<uint32_t> Snapshot(HDC source, int width, int height, int x, int y)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ kept = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> result(pixels, pixels + width * height);
    for (uint32_t& pixel : result)
        pixel &= 0x00FFFFFF;
    SelectObject(memory, kept);
    DeleteDC(memory);
    DeleteObject(copy);
    return result;
}

void MainWindow::SetUp()
{
    // Each test starts from the program's own start, whatever ran before it
    // in this process.
    dsp::ResetState();
    capture::WaveIn = 0;
    facts::SampleRate = 0;
    app::BuildMainWindow(nullptr);
    ASSERT_TRUE(IsWindow(facts::MainDialog));
    app::ShowMainWindow();
    testsupport::PumpMessages(50);
}

void MainWindow::TearDown()
{
    if (IsWindow(facts::MainDialog))
        SendMessageA(facts::MainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    testsupport::PumpMessages(10);
}

}  // namespace apptest
