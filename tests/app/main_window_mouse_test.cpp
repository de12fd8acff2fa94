// The readout, drag-to-zoom and the sliders in the real main window, driven
// with the mouse, key and scroll messages a user's actions produce, after a
// scripted buffer of a known tone.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "display/drawing.h"
#include "display/mouse.h"
#include "display/sliders.h"
#include "dsp/readings.h"
#include "display/trace.h"
#include "dsp/fft.h"
#include "dsp/sizes.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/scripted_device.h"
#include "tests/support/win32_test_support.h"

namespace {

constexpr int ToneBin = 24;
constexpr uint32_t Green = 0x00FF00, Grey = 0x808080;

HWND Control(int id) { return GetDlgItem(facts::MainDialog, id); }
std::string Text(int id) { return testsupport::WindowText(Control(id)); }
void ClickStartStop()
{
    PostMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
}

// One buffer of the tone, with a little DC so that bin 0 is not 0; the
// second queued buffer clicks Stop.
scripted::Script OneBuffer()
{
    scripted::Script script;
    script.buffersToDeliver = 1;
    script.deviceNames = {"Scripted"};
    script.fill = [](int16_t* samples, int count, int) {
        scripted::FillTone(samples, count, ToneBin, 8000);
        for (int i = 0; i < count; ++i)
            samples[i] += 200;
    };
    script.onQueued = [](int index) { if (index == 2) ClickStartStop(); };
    return script;
}

// The readout the display module gives for a bin at 44100 Hz; its format is
// pinned in tests/display.
std::string ReadoutOf(int bin)
{
    return display::ReadoutText(static_cast<float>(bin * 44100.0 / dsp::FftLength),
                                dsp::LevelInDecibelsSingle(dsp::Spectrum[bin], dsp::ReferenceLevel));
}

class MouseAndSliders : public apptest::MainWindow {
protected:
    int W = 0, H = 0;
    void SetUp() override
    {
        display::ResetMouseState();
        scripted::Install(OneBuffer());
        apptest::MainWindow::SetUp();
        W = display::PlotWidth;
        H = display::PlotHeight;
    }
    void TearDown() override
    {
        apptest::MainWindow::TearDown();
        scripted::Uninstall();
    }
    static void Capture()
    {
        scripted::Install(OneBuffer());
        SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
        ASSERT_TRUE(dsp::PassHasRun);
    }
    // One buffer filled by `fill`, analysed as Capture's.
    static void CaptureOf(void (*fill)(int16_t* samples, int count, int index))
    {
        scripted::Script script = OneBuffer();
        script.fill = fill;
        scripted::Install(script);
        SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdStartStop, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(facts::IdStartStop)));
    }
    static void Scale(int32_t scale)
    {
        SendMessageA(Control(facts::IdLogarithmic), BM_SETCHECK, scale, 0);
        SendMessageA(Control(facts::IdLinear), BM_SETCHECK, !scale, 0);
    }
    // A mouse message at plot x, the pointer put there too.
    static void Mouse(UINT message, int x) { apptest::MouseAt(display::PlotWindow, message, x); }
    // The same over the Start button.
    static void Off(UINT message) { apptest::MouseAt(Control(facts::IdStartStop), message, 5); }
    static void Paint() { SendMessageA(facts::MainDialog, WM_PAINT, 0, 0); }
    // WM_SETCURSOR as Windows sends it before a move, the pointer at x of
    // `window` and showing `shown`; the main window's answer.
    static LRESULT AskPointer(HWND window, int x, LPCSTR shown)
    {
        POINT point = {x, 5};
        ClientToScreen(window, &point);
        SetCursorPos(point.x, point.y);
        SetCursor(LoadCursor(nullptr, shown));
        return SendMessageA(facts::MainDialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(facts::MainDialog),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    std::vector<uint32_t> Screen() { return apptest::Snapshot(display::PlotDC, W, H); }
    std::vector<uint32_t> Bitmap() { return apptest::Snapshot(display::MemoryDC, W, H); }
    // Columns [from, to) of the screen are the bitmap's inverted, all others equal.
    void ExpectInverted(int from, int to)
    {
        const std::vector<uint32_t> screen = Screen(), bitmap = Bitmap();
        int wrong = 0;
        for (int i = 0; i < W * H; ++i) {
            const bool inside = i % W >= from && i % W < to;
            wrong += screen[i] != (inside ? bitmap[i] ^ 0xFFFFFFu : bitmap[i]);
        }
        EXPECT_EQ(wrong, 0) << "band " << from << ".." << to;
    }
    void ExpectState(int zoom, int dragging)
    {
        EXPECT_EQ(display::Mouse.ZoomMode, zoom);
        EXPECT_EQ(display::Mouse.Dragging, dragging);
    }
};

bool IsCross() { return GetCursor() == LoadCursor(nullptr, IDC_CROSS); }

TEST_F(MouseAndSliders, TheCursorLineAndLiveReadoutFollowTheMouseOnBothScales)
{
    // Before the first buffer nothing happens at all; Windows' own pointer
    // handling (the dialog's arrow) answers WM_SETCURSOR.
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    Mouse(WM_MOUSEMOVE, 30);
    Off(WM_MOUSEMOVE);
    EXPECT_EQ(display::Mouse.CursorX, 0);
    EXPECT_FALSE(IsCross());
    EXPECT_NE(GetFocus(), display::PlotWindow);
    AskPointer(display::PlotWindow, 30, IDC_CROSS);
    EXPECT_FALSE(IsCross()) << "the default handling did not run";

    Capture();
    EXPECT_EQ(AskPointer(display::PlotWindow, 30, IDC_ARROW), TRUE);
    EXPECT_TRUE(IsCross());
    AskPointer(Control(facts::IdOffsetSlider), 3, IDC_CROSS);
    EXPECT_FALSE(IsCross()) << "over a slider the default handling runs";
    struct Row { int32_t scale; int x; int bin; };
    for (const Row& row : {Row{0, ToneBin, ToneBin}, Row{0, 300, 300}, Row{1, 1, 2},
                           Row{1, 90, 3}, Row{1, 512, 512}}) {
        Scale(row.scale);
        Mouse(WM_MOUSEMOVE, row.x);
        EXPECT_TRUE(IsCross());
        EXPECT_EQ(GetFocus(), display::PlotWindow);
        EXPECT_EQ(display::Mouse.CursorX, row.x);
        Paint();
        EXPECT_EQ(Text(facts::IdLiveReadout), ReadoutOf(row.bin)) << row.x;
        EXPECT_EQ(GetPixel(display::MemoryDC, row.x, 1), RGB(255, 255, 0)) << "no cursor line";
    }
    Off(WM_MOUSEMOVE);
    EXPECT_EQ(display::Mouse.CursorX, -1);
}

TEST_F(MouseAndSliders, DraggingInvertsTheBandAndReleaseDrawsTheZoomView)
{
    Capture();
    // Press and release x, and the bins under the band's edges.
    struct Row { int32_t scale; int press, release, first, last; };
    for (const Row& row : {Row{0, 10, 60, 10, 60}, Row{0, 60, 10, 10, 60}, Row{1, 90, 480, 3, 347}}) {
        Scale(row.scale);
        Paint();
        Mouse(WM_LBUTTONDOWN, row.press);
        ExpectState(1, 1);
        Mouse(WM_MOUSEMOVE, row.press + 40);
        ExpectInverted(row.press, row.press + 40);
        Mouse(WM_MOUSEMOVE, row.release);
        ExpectInverted(std::min(row.press, row.release), std::max(row.press, row.release));
        Mouse(WM_LBUTTONUP, row.release);
        ExpectState(1, 0);

        // Green only, with the tone's peak in a column of bin 24.
        const std::vector<uint32_t> screen = Screen();
        EXPECT_EQ(std::count(screen.begin(), screen.end(), Grey), 0);
        const auto top = std::find(screen.begin(), screen.end(), Green);
        ASSERT_NE(top, screen.end());
        const int u = int(top - screen.begin()) % W / 2;
        EXPECT_EQ(std::nearbyint(2.0 * u * (row.last - row.first) / W + row.first), ToneBin);

        Mouse(WM_MOUSEMOVE, 1);
        EXPECT_EQ(Text(facts::IdZoomReadout), ReadoutOf(row.first));
        Paint();  // the live plot comes back, the zoom stays
        EXPECT_EQ(Screen(), Bitmap());
        ExpectState(1, 0);
    }
    Capture();
    ExpectState(0, 0);
    EXPECT_EQ(Screen(), Bitmap());
}

TEST_F(MouseAndSliders, AReleaseOutsideThePlotKeepsTheDragGoing)
{
    Capture();
    Paint();
    Mouse(WM_LBUTTONDOWN, 100);
    Mouse(WM_MOUSEMOVE, 150);
    Off(WM_LBUTTONUP);
    ExpectState(1, 1);
    ExpectInverted(100, 150);
    Mouse(WM_MOUSEMOVE, 200);
    ExpectInverted(100, 200);
    Mouse(WM_LBUTTONUP, 200);
    ExpectState(1, 0);
    EXPECT_EQ(display::Mouse.SelectionStart, 50);
    EXPECT_EQ(display::Mouse.SelectionEnd, 100);

    // Pressed and released in one spot: live again. A Start ends a drag.
    Mouse(WM_LBUTTONDOWN, 7);
    Mouse(WM_LBUTTONUP, 7);
    ExpectState(0, 0);
    Mouse(WM_LBUTTONDOWN, 7);
    Capture();
    ExpectState(0, 0);
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Digital silence, as a muted device delivers it: after one buffer the mouse
// works, every level reads -inf and the zoom view lies below the plot rather
// than on its top edge; the next tone buffer reads 0 dB again.
TEST_F(MouseAndSliders, SilenceReadsMinusInfinityAndTheMouseStillWorks)
{
    Paint();
    EXPECT_EQ(Text(facts::IdLiveReadout), "0.0Hz, -infdB");  // the idle window
    CaptureOf([](int16_t* samples, int count, int) { std::fill(samples, samples + count, 0); });
    ASSERT_TRUE(dsp::PassHasRun);
    for (int x : {30, 300}) {
        Mouse(WM_MOUSEMOVE, x);
        EXPECT_TRUE(IsCross());
        EXPECT_EQ(display::Mouse.CursorX, x);
        Paint();
        EXPECT_EQ(Text(facts::IdLiveReadout), ReadoutOf(x));
        EXPECT_TRUE(EndsWith(Text(facts::IdLiveReadout), "Hz, -infdB"));
        EXPECT_EQ(GetPixel(display::MemoryDC, x, 1), RGB(255, 255, 0)) << "no cursor line";
    }
    Mouse(WM_LBUTTONDOWN, 100);
    Mouse(WM_MOUSEMOVE, 200);
    Mouse(WM_LBUTTONUP, 200);
    ExpectState(1, 0);
    const std::vector<uint32_t> screen = Screen();
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 0u), W * H) << "not all black";
    Mouse(WM_MOUSEMOVE, 150);
    EXPECT_TRUE(EndsWith(Text(facts::IdZoomReadout), "Hz, -infdB")) << Text(facts::IdZoomReadout);

    SendMessageA(facts::MainDialog, WM_COMMAND, MAKEWPARAM(facts::IdMenuSaveToClipboard, 0), 0);
    ASSERT_TRUE(OpenClipboard(facts::MainDialog));
    const char* text = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
    const std::string exported = text ? text : "";
    GlobalUnlock(GetClipboardData(CF_TEXT));
    CloseClipboard();
    size_t lines = 0;
    for (size_t at = 0; (at = exported.find("\t-inf\r\n", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, static_cast<size_t>(dsp::BinCount));  // and no line with another level:
    EXPECT_EQ(std::count(exported.begin(), exported.end(), '\t'), dsp::BinCount);

    CaptureOf([](int16_t* samples, int count, int) {
        scripted::FillTone(samples, count, ToneBin, 16465.0);
    });
    Mouse(WM_MOUSEMOVE, ToneBin);  // the Start ended the zoom
    Paint();
    EXPECT_EQ(Text(facts::IdLiveReadout), "1033.6Hz, 0.0dB");
}

TEST_F(MouseAndSliders, AWidePlotReadsNothingBeyondTheSpectrum)
{
    SetWindowPos(facts::MainDialog, nullptr, 0, 0, 1020, 500, SWP_NOZORDER);
    SetWindowPos(display::PlotWindow, nullptr, 0, 0, 1000, 300, SWP_NOMOVE | SWP_NOZORDER);
    display::ReleasePlotSurface();
    display::CreatePlotSurface();
    W = display::PlotWidth;
    H = display::PlotHeight;
    ASSERT_GT(W, 900);
    Capture();
    dsp::Spectrum[dsp::FftLength - 1] = 8430;  // -20 dB in the entry past the pass's bins
    Scale(1);
    Mouse(WM_MOUSEMOVE, 900);
    Paint();
    const std::string live = Text(facts::IdLiveReadout);
    EXPECT_EQ(live.substr(live.size() - 11), "Hz, -20.0dB") << live;

    Mouse(WM_LBUTTONDOWN, 800);
    Mouse(WM_LBUTTONUP, 990);
    Mouse(WM_MOUSEMOVE, 850);
    const std::string zoom = Text(facts::IdZoomReadout);
    EXPECT_EQ(zoom.substr(zoom.size() - 11), "Hz, -20.0dB") << zoom;
    const double reference = dsp::StartingReferenceLevel;
    const int y = std::lround(float(H / std::log(reference)) * std::log(10.0));
    const std::vector<uint32_t> screen = Screen();
    for (int x = 0; x < W; x += 37)
        EXPECT_EQ(screen[y * W + x], Green) << x;
}

// --------------------------------------------------------------- sliders

// The key and the thumb's position after it; the label and setting there are
// the slider module's (pinned in tests/display/sliders_test.cpp).
struct SliderRow { WPARAM key; int position; };

TEST_F(MouseAndSliders, KeysMoveTheThumbTheLabelAndTheSetting)
{
    const SliderRow offset[] = {{VK_UP, 9},   {VK_PRIOR, 7}, {VK_HOME, 0},
                                {VK_DOWN, 1}, {VK_NEXT, 3},  {VK_END, display::OffsetSliderMax}};
    const SliderRow averages[] = {{VK_UP, 99},  {VK_PRIOR, 79}, {VK_HOME, 0},
                                  {VK_NEXT, 20}, {VK_DOWN, 21},
                                  {VK_END, display::AveragesSliderMax}};
    // Each press on a painted plot: only the averages blank it.
    auto press = [this](int id, WPARAM key, int label, const SliderRow& row, const std::string& text) {
        Paint();
        SendMessageA(Control(id), WM_KEYDOWN, key, 0);
        SendMessageA(Control(id), WM_KEYUP, key, 0);
        EXPECT_EQ(SendMessageA(Control(id), TBM_GETPOS, 0, 0), row.position);
        EXPECT_EQ(Text(label), text);
        const std::vector<uint32_t> bitmap = Bitmap();
        EXPECT_EQ(std::count(bitmap.begin(), bitmap.end(), 0u) == W * H, id == facts::IdAveragesSlider)
            << text;
    };
    for (const SliderRow& row : offset) {
        const display::OffsetSetting setting = display::OffsetSettingAt(row.position);
        press(facts::IdOffsetSlider, row.key, facts::IdOffsetLabel, row, setting.label);
        EXPECT_EQ(dsp::OffsetMultiplier, setting.multiplier);
    }
    for (const SliderRow& row : averages) {
        const display::AveragesSetting setting = display::AveragesSettingAt(row.position);
        press(facts::IdAveragesSlider, row.key, facts::IdAveragesLabel, row, setting.label);
        EXPECT_EQ(dsp::AveragingFactor, setting.factor) << setting.label;
    }
}

TEST_F(MouseAndSliders, AClickBesideTheThumbCounts)
{
    HWND slider = Control(facts::IdOffsetSlider);
    RECT client;
    GetClientRect(slider, &client);
    SendMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right / 2, 15));
    SendMessageA(slider, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, 15));
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 8);  // a page up from the bottom
    EXPECT_EQ(Text(facts::IdOffsetLabel), display::OffsetSettingAt(8).label);
    EXPECT_EQ(dsp::OffsetMultiplier, display::OffsetSettingAt(8).multiplier);
}

// Thumb drags carry their position in the high word; every other request
// that moves the thumb is read from the control; others change nothing.
TEST_F(MouseAndSliders, EveryScrollRequestThatMovesTheThumbCounts)
{
    // The position whose label the request leaves: the thumb's 6 or 67, the
    // control's 3 or 66, or, for a request that is none, the maximum before.
    struct Row { int id; WORD code; int label; int32_t position; };
    const Row rows[] = {
        {facts::IdOffsetSlider, TB_THUMBTRACK, facts::IdOffsetLabel, 6},
        {facts::IdOffsetSlider, TB_THUMBPOSITION, facts::IdOffsetLabel, 6},
        {facts::IdAveragesSlider, TB_THUMBTRACK, facts::IdAveragesLabel, 67},
        {facts::IdAveragesSlider, TB_THUMBPOSITION, facts::IdAveragesLabel, 67},
        {facts::IdAveragesSlider, TB_PAGEDOWN, facts::IdAveragesLabel, 66},
        {facts::IdAveragesSlider, 9, facts::IdAveragesLabel, display::AveragesSliderMax},
    };
    std::vector<Row> all(std::begin(rows), std::end(rows));
    for (WORD code : {TB_LINEUP, TB_LINEDOWN, TB_PAGEUP, TB_PAGEDOWN, TB_TOP, TB_BOTTOM, TB_ENDTRACK})
        all.push_back({facts::IdOffsetSlider, code, facts::IdOffsetLabel, 3});
    all.push_back({facts::IdOffsetSlider, 9, facts::IdOffsetLabel, display::OffsetSliderMax});
    for (const Row& row : all) {
        const bool offset = row.id == facts::IdOffsetSlider;
        const std::string expected = offset ? display::OffsetSettingAt(row.position).label
                                            : display::AveragesSettingAt(row.position).label;
        HWND slider = Control(row.id);
        SendMessageA(slider, TBM_SETPOS, TRUE,
                     offset ? display::OffsetSliderMax : display::AveragesSliderMax);
        SendMessageA(facts::MainDialog, WM_VSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
        SendMessageA(slider, TBM_SETPOS, TRUE, offset ? 3 : 66);
        SendMessageA(facts::MainDialog, WM_VSCROLL, MAKEWPARAM(row.code, offset ? 6 : 67),
                     reinterpret_cast<LPARAM>(slider));
        EXPECT_EQ(Text(row.label), expected) << row.id << " code " << row.code;
    }
    EXPECT_EQ(dsp::OffsetMultiplier, 1);
    EXPECT_EQ(dsp::AveragingFactor, 1.0f);
}

}  // namespace
