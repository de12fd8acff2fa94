// The plot's GDI layer in a real window: surface resources, the pixels of the
// off-screen bitmap and of the screen, the readout label and GDI object
// counts over many redraws.
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/axes.h"
#include "display/trace.h"
#include "dsp/readings.h"
#include "dsp/fft.h"
#include "facts/facts.h"
#include "win/template.h"
#include "win/controls.h"
#include "tests/support/win32_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using display::PlotHeight;
using display::PlotWidth;

constexpr uint32_t Black = 0x000000;
constexpr uint32_t Grey = 0x808080;
constexpr uint32_t LightGrey = 0xC0C0C0;
constexpr uint32_t Green = 0x00FF00;
constexpr uint32_t Yellow = 0xFFFF00;

// The amplitude of -20 dB.
constexpr float Minus20 = 8430.0f;

// A picture as 0xRRGGBB values, row by row from the top.
struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * width + x]; }
};

// Copies the plot-sized area of `source` into a 32-bit top-down DIB section.
Picture Snapshot(HDC source)
{
    Picture picture;
    picture.width = PlotWidth;
    picture.height = PlotHeight;
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = PlotWidth;
    info.bmiHeader.biHeight = -PlotHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC copy = CreateCompatibleDC(source);
    HBITMAP section = CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ kept = SelectObject(copy, section);
    BitBlt(copy, 0, 0, PlotWidth, PlotHeight, source, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* words = static_cast<const uint32_t*>(bits);
    picture.pixels.assign(words, words + size_t(PlotWidth) * PlotHeight);
    for (uint32_t& pixel : picture.pixels)
        pixel &= 0xFFFFFF;
    SelectObject(copy, kept);
    DeleteObject(section);
    DeleteDC(copy);
    return picture;
}

Picture Bitmap() { return Snapshot(display::MemoryDC); }
Picture Screen() { return Snapshot(display::PlotDC); }

int32_t CountColour(const Picture& picture, uint32_t colour)
{
    int32_t count = 0;
    for (uint32_t pixel : picture.pixels)
        count += pixel == colour;
    return count;
}

std::string WindowText(int id)
{
    return testsupport::WindowText(GetDlgItem(facts::MainDialog, id));
}

// A dialog of the window layer with the controls the plot drawing reads, at
// their places in the main window: the plot, the Logarithmic button and the
// live readout.
class PlotSurface : public testing::Test {
protected:
    static HWND window;

    static void SetUpTestSuite()
    {
        window = winlayer::CreateDialogWindow(nullptr, "plot test",
                                              WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                                              0, 0, 490, 250);
        winlayer::AddControl(window, "STATIC", "", facts::IdPlot, 5, 5, 350, 211, 0x5000120E,
                             WS_EX_CLIENTEDGE);
        winlayer::AddControl(window, "BUTTON", "Lo&garithmic", facts::IdLogarithmic, 415, 82,
                             48, 10, 0x50010D09, 0);
        winlayer::AddControl(window, "STATIC", "", facts::IdLiveReadout, 5, 220, 100, 14,
                             0x50001200, 0);
        facts::MainDialog = window;
        display::CreatePlotSurface();
        ShowWindow(window, SW_SHOW);
        testsupport::PumpMessages(100);
    }

    static void TearDownTestSuite()
    {
        display::ReleasePlotSurface();
        DestroyWindow(window);
        facts::MainDialog = nullptr;
        testsupport::PumpMessages(20);
    }

    void SetUp() override
    {
        dsp::ResetState();
        dsp::InitialiseSettings();
        facts::SampleRate = 0;
        display::Mouse.CursorFrequency = 0.0f;
        display::Mouse.CursorX = -1;
        SetScale(display::LinearScale);
        testsupport::PumpMessages(20);
    }

    void TearDown() override
    {
        dsp::ResetState();
        facts::SampleRate = 0;
        display::Mouse.CursorFrequency = 0.0f;
        display::Mouse.CursorX = 0;
    }

    static void SetScale(int32_t scale)
    {
        SendMessageA(GetDlgItem(window, facts::IdLogarithmic), BM_SETCHECK,
                     scale == display::LogarithmicScale ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    // Every bin from 1 to the last at the same amplitude.
    static void FlatSpectrum(float amplitude)
    {
        for (int32_t bin = 1; bin < dsp::BinCount; ++bin)
            dsp::Spectrum[bin] = amplitude;
    }
};

HWND PlotSurface::window = nullptr;

TEST_F(PlotSurface, ResourcesMatchThePlotControl)
{
    HWND plot = GetDlgItem(window, facts::IdPlot);
    EXPECT_EQ(display::PlotWindow, plot);
    RECT client;
    GetClientRect(plot, &client);
    EXPECT_EQ(PlotWidth, client.right);
    EXPECT_EQ(PlotHeight, client.bottom);
    EXPECT_GT(PlotWidth, 500);
    EXPECT_GT(PlotHeight, 300);
    EXPECT_EQ(WindowFromDC(display::PlotDC), plot);

    // The labels' font as the system made it (its face is whatever the
    // system has for Arial): 7 points at the screen's pixels per inch,
    // within a pixel.
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(display::MemoryDC, &metrics));
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, 7.0 * pixelsPerInch / 72, 1.0);
    EXPECT_EQ(metrics.tmWeight, FW_NORMAL);
    EXPECT_FALSE(metrics.tmItalic);
}

// Compares the whole bitmap with the graticule's lines: grey on the lines,
// black elsewhere, and inside each label cell some pixels of the light-grey
// text (the rest of a cell may hold smoothed edges of the glyphs).
void ExpectGraticulePicture(const Picture& picture, int32_t scale)
{
    const display::Graticule g = display::BuildGraticule(scale, PlotWidth, PlotHeight);
    enum : char { Empty, Line, LabelCell };
    std::vector<char> expected(picture.pixels.size(), Empty);
    auto mark = [&](int32_t x, int32_t y, char what) {
        if (x >= 0 && x < PlotWidth && y >= 0 && y < PlotHeight)
            expected[size_t(y) * PlotWidth + x] = what;
    };
    for (int32_t n = 0; n < g.lineCount; ++n) {
        const display::Segment& s = g.lines[n];
        // The end point itself is not drawn.
        if (s.x1 == s.x2)
            for (int32_t y = s.y1; y < s.y2; ++y)
                mark(s.x1, y, Line);
        else
            for (int32_t x = s.x1; x < s.x2; ++x)
                mark(x, s.y1, Line);
    }
    for (int32_t n = 0; n < g.labelCount; ++n)
        for (int32_t y = g.labels[n].y; y < g.labels[n].y + 16; ++y)
            for (int32_t x = g.labels[n].x; x < PlotWidth; ++x)
                mark(x, y, LabelCell);

    int32_t wrong = 0;
    for (int32_t y = 0; y < PlotHeight; ++y)
        for (int32_t x = 0; x < PlotWidth; ++x) {
            const char what = expected[size_t(y) * PlotWidth + x];
            if (what == LabelCell)
                continue;
            const uint32_t want = what == Line ? Grey : Black;
            if (picture.At(x, y) != want && ++wrong <= 5)
                ADD_FAILURE() << "scale " << scale << " pixel (" << x << ", " << y << ") is "
                              << std::hex << picture.At(x, y) << ", expected " << want;
        }
    EXPECT_EQ(wrong, 0);

    // The text is drawn without a box behind it: nothing in a cell is
    // brighter than the text.
    for (int32_t n = 0; n < g.labelCount; ++n) {
        int32_t lit = 0, brighter = 0;
        for (int32_t y = g.labels[n].y; y < g.labels[n].y + 16 && y < PlotHeight; ++y)
            for (int32_t x = g.labels[n].x; x < PlotWidth; ++x) {
                const uint32_t pixel = picture.At(x, y);
                lit += pixel == LightGrey;
                brighter += (pixel >> 16) > 0xC0 || ((pixel >> 8) & 0xFF) > 0xC0 || (pixel & 0xFF) > 0xC0;
            }
        EXPECT_GT(lit, 10) << "label " << g.labels[n].text;
        EXPECT_EQ(brighter, 0) << "label " << g.labels[n].text;
    }
}

TEST_F(PlotSurface, GraticuleOnBothScales)
{
    for (int32_t scale : {display::LinearScale, display::LogarithmicScale}) {
        display::ClearPlot();
        display::DrawGraticule(scale);
        const Picture picture = Bitmap();
        ExpectGraticulePicture(picture, scale);
        // The level lines stop 30 columns short of the right edge.
        const int32_t firstRow = static_cast<int32_t>(std::nearbyint(PlotHeight / 10.0));
        EXPECT_EQ(picture.At(PlotWidth - 31, firstRow), Grey);
        EXPECT_EQ(picture.At(PlotWidth - 30, firstRow), Black);
        EXPECT_EQ(GetCurrentObject(display::MemoryDC, OBJ_PEN), display::TracePen);
    }
}

TEST_F(PlotSurface, LinearGridColumnsAreEveryTenthOfTheWidth)
{
    display::ClearPlot();
    display::DrawGraticule(display::LinearScale);
    const Picture picture = Bitmap();
    // An independent look at the picture: the fully grey columns.
    const int32_t step = static_cast<int32_t>(std::nearbyint(PlotWidth / 10.0));
    std::vector<int32_t> columns, expected;
    for (int32_t x = 0; x < PlotWidth; ++x) {
        bool full = true;
        for (int32_t y = 0; y < PlotHeight / 10 && full; ++y)
            full = picture.At(x, y) == Grey;
        if (full)
            columns.push_back(x);
    }
    for (int32_t x = 0; x < PlotWidth; x += step)
        expected.push_back(x);
    EXPECT_EQ(columns, expected);
}

TEST_F(PlotSurface, TraceOfAKnownSpectrumInGreen)
{
    FlatSpectrum(Minus20);
    dsp::Spectrum[100] = static_cast<float>(dsp::ReferenceLevel);  // a 0 dB peak at bin 100
    display::ClearPlot();
    display::RedrawPlot(display::Mouse.CursorX);
    const Picture picture = Bitmap();
    const int32_t row = display::LevelToY(Minus20, PlotHeight, 84300);
    EXPECT_NEAR(row, PlotHeight * 20 / 98.52, 1.0);
    for (int32_t x = 0; x <= 98; ++x)
        EXPECT_EQ(picture.At(x, row), Green) << "x " << x;
    EXPECT_EQ(picture.At(100, 0), Green);  // the peak's point starts the next segment
    for (int32_t x = 102; x <= 511; ++x)
        EXPECT_EQ(picture.At(x, row), Green) << "x " << x;
    // Bin 512's point ends the trace and is not drawn; nothing right of it.
    EXPECT_NE(picture.At(512, row), Green);
    for (int32_t x = 513; x < PlotWidth; ++x)
        for (int32_t y = 0; y < PlotHeight; ++y)
            ASSERT_NE(picture.At(x, y), Green) << x << ", " << y;
    // No cursor line for CursorX = -1.
    EXPECT_EQ(CountColour(picture, Yellow), 0);
}

TEST_F(PlotSurface, TraceOnTheLogarithmicScale)
{
    FlatSpectrum(Minus20);
    SetScale(display::LogarithmicScale);
    display::ClearPlot();
    display::RedrawPlot(display::Mouse.CursorX);
    const Picture picture = Bitmap();
    const int32_t row = display::LevelToY(Minus20, PlotHeight, 84300);
    // Bins 1 to 512 run from x = 0 to x = 512 on one row.
    for (int32_t x = 0; x <= 511; ++x)
        ASSERT_EQ(picture.At(x, row), Green) << "x " << x;
    EXPECT_NE(picture.At(512, row), Green);
    EXPECT_EQ(CountColour(picture, Green), 512);
}

// An empty spectrum's points lie just below the plot on both scales, so
// nothing of the trace shows; the readout reads the empty bin.
TEST_F(PlotSurface, EmptySpectrumLeavesTheTraceBelowThePlot)
{
    for (int32_t scale : {display::LinearScale, display::LogarithmicScale}) {
        const auto points =
            display::TracePoints(dsp::Spectrum, scale, PlotHeight, dsp::ReferenceLevel);
        EXPECT_EQ(points[0].x, 0);
        for (int32_t n = 0; n < dsp::BinCount; ++n)
            EXPECT_EQ(points[n].y, PlotHeight) << "point " << n;
        SetScale(scale);
        display::ClearPlot();
        display::RedrawPlot(display::Mouse.CursorX);
        EXPECT_EQ(CountColour(Bitmap(), Green), 0) << "scale " << scale;
        EXPECT_EQ(WindowText(facts::IdLiveReadout),
                  display::ReadoutText(0.0f, dsp::LevelInDecibelsSingle(0.0f, dsp::ReferenceLevel)));
    }
}

TEST_F(PlotSurface, CursorLineInYellow)
{
    display::Mouse.CursorX = 200;
    display::ClearPlot();
    display::RedrawPlot(display::Mouse.CursorX);
    Picture picture = Bitmap();
    for (int32_t y = 0; y < PlotHeight; ++y)
        ASSERT_EQ(picture.At(200, y), Yellow) << "y " << y;
    EXPECT_EQ(CountColour(picture, Yellow), PlotHeight);
    EXPECT_EQ(GetCurrentObject(display::MemoryDC, OBJ_PEN), display::TracePen);

    // A second redraw without ClearPlot keeps the first line, crossed now by
    // the level lines of the graticule drawn over it.
    display::Mouse.CursorX = 300;
    display::RedrawPlot(display::Mouse.CursorX);
    picture = Bitmap();
    const int32_t step = static_cast<int32_t>(std::nearbyint(PlotHeight / 10.0));
    for (int32_t y = 0; y < PlotHeight; ++y) {
        ASSERT_EQ(picture.At(300, y), Yellow) << "y " << y;
        ASSERT_EQ(picture.At(200, y), y % step == 0 && y > 0 ? Grey : Yellow) << "y " << y;
    }
}

TEST_F(PlotSurface, RedrawCopiesTheBitmapToTheScreen)
{
    // A cursor in the last column shows the bitmap covers the whole plot.
    FlatSpectrum(Minus20);
    display::Mouse.CursorX = PlotWidth - 1;
    display::ClearPlot();
    display::RedrawPlot(display::Mouse.CursorX);
    const Picture bitmap = Bitmap();
    const Picture screen = Screen();
    EXPECT_TRUE(bitmap.pixels == screen.pixels);
    EXPECT_EQ(screen.At(PlotWidth - 1, 5), Yellow);
    EXPECT_EQ(screen.At(PlotWidth - 1, PlotHeight - 1), Yellow);
}

TEST_F(PlotSurface, ClearPlotBlackensOnlyTheBitmap)
{
    FlatSpectrum(Minus20);
    display::RedrawPlot(display::Mouse.CursorX);
    const Picture before = Screen();
    ASSERT_GT(CountColour(before, Green), 0);
    display::ClearPlot();
    EXPECT_EQ(CountColour(Bitmap(), Black), PlotWidth * PlotHeight);
    EXPECT_TRUE(Screen().pixels == before.pixels);
}

// The readout of bin 24 at 44100 Hz as the label shows it; an amplitude of 0
// reads -inf, the smallest positive single a finite level, a negative one
// the logarithm rule's 0.
TEST_F(PlotSurface, ReadoutOfBin24At44100)
{
    facts::SampleRate = 44100;
    display::Mouse.CursorFrequency = 1033.59375f;
    EXPECT_EQ(display::ReadoutBin(display::Mouse.CursorFrequency, 44100), 24);
    struct Case { float amplitude; const char* text; };
    const Case cases[] = {
        {0.0f, "1033.6Hz, -infdB"}, {-0.0f, "1033.6Hz, -infdB"},
        {84300.0f, "1033.6Hz, 0.0dB"}, {Minus20, "1033.6Hz, -20.0dB"},
        {std::numeric_limits<float>::denorm_min(), "1033.6Hz, -995.6dB"},
        {-Minus20, "1033.6Hz, 0.0dB"},
    };
    for (const Case& c : cases) {
        dsp::Spectrum[24] = c.amplitude;
        display::RedrawPlot(display::Mouse.CursorX);
        EXPECT_EQ(WindowText(facts::IdLiveReadout), c.text) << c.amplitude;
    }
    EXPECT_FLOAT_EQ(dsp::LevelInDecibelsSingle(Minus20, dsp::ReferenceLevel), -20.0f);
    EXPECT_EQ(dsp::LevelInDecibelsSingle(-Minus20, dsp::ReferenceLevel), 0.0f);
}

TEST_F(PlotSurface, ReadoutBeyondTheSpectrumReadsTheLastBin)
{
    // The bin under x = 600 on a logarithmic axis: 1496, beyond the array.
    facts::SampleRate = 44100;
    display::Mouse.CursorFrequency = 1496 * 44100.0f / dsp::FftLength;
    dsp::Spectrum[dsp::HalfLength] = Minus20;
    display::RedrawPlot(display::Mouse.CursorX);
    EXPECT_EQ(WindowText(facts::IdLiveReadout), "64427.3Hz, -infdB");
}

TEST_F(PlotSurface, ZoomViewOnTheScreenOnly)
{
    // Bins 200..400 at -20 dB except bin 201 at 0 dB: columns 2 and 3 on
    // the top edge, the rest of the band on the -20 dB row.
    FlatSpectrum(Minus20);
    dsp::Spectrum[201] = static_cast<float>(dsp::ReferenceLevel);
    display::ClearPlot();
    display::DrawGraticule(display::LinearScale);
    const Picture bitmapBefore = Bitmap();
    display::DrawZoomView(100, 200);
    const Picture screen = Screen();
    const int32_t row = display::LevelToY(Minus20, PlotHeight, 84300);
    EXPECT_EQ(screen.At(2, 0), Green);
    EXPECT_EQ(screen.At(3, 0), Green);
    EXPECT_EQ(screen.At(10, 0), Black);
    for (int32_t x = 4; x < PlotWidth; ++x)
        ASSERT_EQ(screen.At(x, row), Green) << "x " << x;
    EXPECT_EQ(CountColour(screen, Grey), 0);  // no graticule
    EXPECT_EQ(CountColour(screen, Green) + CountColour(screen, Black), PlotWidth * PlotHeight);
    EXPECT_TRUE(Bitmap().pixels == bitmapBefore.pixels);
    EXPECT_NE(GetCurrentObject(display::PlotDC, OBJ_PEN), display::TracePen);
}

TEST_F(PlotSurface, ThePlotControlIsGreenOnBlack)
{
    // The plot's colour request is answered with green text on a black brush.
    HWND plot = display::PlotWindow;
    HDC dc = GetDC(plot);
    const LRESULT brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(plot));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 255, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(0, 0, 0));
    LOGBRUSH description;
    ASSERT_EQ(GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof description, &description),
              int(sizeof description));
    EXPECT_EQ(description.lbColor, RGB(0, 0, 0));
    ReleaseDC(plot, dc);
}

TEST_F(PlotSurface, InvertBandTwiceRestores)
{
    FlatSpectrum(Minus20);
    display::ClearPlot();
    display::RedrawPlot(display::Mouse.CursorX);
    const Picture original = Screen();
    display::InvertBand(150, 50);
    const Picture inverted = Screen();
    for (int32_t y = 0; y < PlotHeight; ++y)
        for (int32_t x = 0; x < PlotWidth; ++x) {
            const bool inside = x >= 50 && x < 150;
            const uint32_t want = inside ? original.At(x, y) ^ 0xFFFFFF : original.At(x, y);
            ASSERT_EQ(inverted.At(x, y), want) << x << ", " << y;
        }
    display::InvertBand(50, 150);
    EXPECT_TRUE(Screen().pixels == original.pixels);
    // Moves of a drag: press at 80, then 120, then 100 leave 80..99 inverted.
    display::InvertBand(80, 120);
    display::InvertBand(120, 100);
    const Picture dragged = Screen();
    for (int32_t x = 70; x < 130; ++x) {
        const bool inside = x >= 80 && x < 100;
        EXPECT_EQ(dragged.At(x, 1), inside ? original.At(x, 1) ^ 0xFFFFFF : original.At(x, 1))
            << "x " << x;
    }
    display::InvertBand(100, 80);
    EXPECT_TRUE(Screen().pixels == original.pixels);
}

TEST_F(PlotSurface, RateButtonsClearTheBitmap)
{
    struct Case { UINT message; int id; WORD code; bool clears; };
    const Case cases[] = {
        {WM_COMMAND, facts::IdRate11025, BN_CLICKED, true},
        {WM_COMMAND, facts::IdRate22050, BN_CLICKED, true},
        {WM_COMMAND, facts::IdRate44100, BN_SETFOCUS, true},  // the code is not looked at
        {WM_COMMAND, facts::IdLinear, BN_CLICKED, false},
        {WM_COMMAND, facts::IdRateGroup, BN_CLICKED, false},
        {WM_NOTIFY, facts::IdRate11025, 0, false},
    };
    for (const Case& c : cases) {
        display::ClearPlot();
        display::DrawGraticule(display::LinearScale);
        const INT_PTR result =
            display::OnSampleRatePanel(window, c.message, MAKEWPARAM(c.id, c.code), 0);
        EXPECT_EQ(result, 0);
        const int32_t black = CountColour(Bitmap(), Black);
        if (c.clears)
            EXPECT_EQ(black, PlotWidth * PlotHeight) << "id " << c.id;
        else
            EXPECT_LT(black, PlotWidth * PlotHeight) << "id " << c.id;
    }
}

TEST_F(PlotSurface, NoGdiObjectsLeakOverThousandsOfRedraws)
{
    // The radio button keeps drawing objects of its own from its first
    // checked paint on; let it make them before counting.
    SetScale(display::LogarithmicScale);
    display::RedrawPlot(display::Mouse.CursorX);
    SetScale(display::LinearScale);
    testsupport::PumpMessages(20);

    // The count sees one object that is not deleted.
    const int start = testsupport::CountGdiObjects();
    ASSERT_GT(start, 0);
    HPEN probe = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(testsupport::CountGdiObjects(), start + 1);
    DeleteObject(probe);
    ASSERT_EQ(testsupport::CountGdiObjects(), start);

    FlatSpectrum(Minus20);
    facts::SampleRate = 44100;
    display::Mouse.CursorFrequency = 1000.0f;
    for (int32_t n = 0; n < 3000; ++n) {
        display::Mouse.CursorX = n % PlotWidth;
        SetScale(n % 2);
        display::ClearPlot();
        display::RedrawPlot(display::Mouse.CursorX);
        if (n % 100 == 0) {
            display::DrawZoomView(10, 200);
            display::InvertBand(10, 20);
        }
    }
    EXPECT_EQ(testsupport::CountGdiObjects(), start);
}

// Spectra for comparing the drawing with the plain one: silence, flat
// levels, full scale, steep alternations, values far above the reference and
// random levels over the whole range.
struct SpectrumCase {
    const char* name;
    std::function<float(int32_t bin, std::mt19937& random)> amplitude;
};

const SpectrumCase SpectrumCases[] = {
    {"silence", [](int32_t, std::mt19937&) { return 0.0f; }},
    {"flat -20 dB", [](int32_t, std::mt19937&) { return Minus20; }},
    {"full scale", [](int32_t, std::mt19937&) { return 84300.0f; }},
    {"alternating", [](int32_t bin, std::mt19937&) { return bin % 2 ? 84300.0f : 0.0f; }},
    {"far above", [](int32_t bin, std::mt19937&) { return bin % 3 ? 1e30f : 3.0f; }},
    {"random", [](int32_t, std::mt19937& random) {
         return static_cast<float>(std::exp(std::uniform_real_distribution<double>(-2, 12)(random)));
     }},
};

// Fills the bins dsp::Spectrum holds from one case.
void FillSpectrum(const SpectrumCase& c, std::mt19937& random)
{
    for (int32_t bin = 0; bin < dsp::BinCount; ++bin)
        dsp::Spectrum[bin] = c.amplitude(bin, random);
}

struct Drawn {
    Picture bitmap, screen;
    std::string readout;
};

Drawn Capture()
{
    return Drawn{Bitmap(), Screen(), WindowText(facts::IdLiveReadout)};
}

void ExpectSameDrawing(const Drawn& plain, const Drawn& drawn, const std::string& what)
{
    EXPECT_TRUE(plain.bitmap.pixels == drawn.bitmap.pixels) << what << ": bitmap";
    EXPECT_TRUE(plain.screen.pixels == drawn.screen.pixels) << what << ": screen";
    EXPECT_EQ(plain.readout, drawn.readout) << what;
}

TEST_F(PlotSurface, NewSpectraLookAsThePlainDrawingOnBothScales)
{
    facts::SampleRate = 44100;
    display::Mouse.CursorFrequency = 1033.59375f;
    const int32_t cursors[] = {-1, 0, 200, PlotWidth - 1, PlotWidth + 5};
    // Scales alternate within a spectrum and repeat across spectra, so the
    // kept graticule is both drawn anew and reused.
    std::mt19937 random(7);
    int32_t n = 0;
    for (const SpectrumCase& c : SpectrumCases)
        for (int32_t scale : {display::LinearScale, display::LogarithmicScale}) {
            FillSpectrum(c, random);
            const int32_t cursor = cursors[n++ % 5];
            const std::string what = std::string(c.name) + ", scale " + std::to_string(scale) +
                                     ", cursor " + std::to_string(cursor);
            SetScale(scale);
            display::Mouse.CursorX = cursor;
            display::ClearPlot();
            display::RedrawPlotReference(display::Mouse.CursorX);
            const Drawn plain = Capture();

            SetWindowTextA(GetDlgItem(window, facts::IdLiveReadout), "stale");
            display::Mouse.ZoomMode = 0;
            display::ShowNewSpectrum();
            ExpectSameDrawing(plain, Capture(), what);

            // A redraw over the picture, as the mouse gives, at another cursor.
            display::Mouse.CursorX = cursor + 37;
            display::RedrawPlotReference(display::Mouse.CursorX);
            const Drawn plainOver = Capture();
            display::Mouse.CursorX = cursor;
            display::ShowNewSpectrum();
            display::Mouse.CursorX = cursor + 37;
            display::RedrawPlot(display::Mouse.CursorX);
            ExpectSameDrawing(plainOver, Capture(), what + ", drawn over");
        }
}

TEST_F(PlotSurface, TheFirstRedrawAfterAZoomViewLooksAsThePlainDrawing)
{
    std::mt19937 random(11);
    FillSpectrum(SpectrumCases[5], random);
    display::Mouse.CursorX = 120;
    for (int32_t scale : {display::LogarithmicScale, display::LinearScale}) {
        SetScale(scale);
        display::ClearPlot();
        display::RedrawPlotReference(display::Mouse.CursorX);
        const Drawn plain = Capture();

        display::Mouse.ZoomMode = 1;
        display::ShowNewSpectrum();
        EXPECT_EQ(CountColour(Bitmap(), Black), PlotWidth * PlotHeight);
        display::Mouse.ZoomMode = 0;
        display::RedrawPlot(display::Mouse.CursorX);
        ExpectSameDrawing(plain, Capture(), "scale " + std::to_string(scale));
    }
}

// Counts the WM_SETTEXT messages a control receives.
int SetTextCount = 0;
WNDPROC LabelProcedure = nullptr;
LRESULT CALLBACK CountSetText(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    SetTextCount += message == WM_SETTEXT;
    return CallWindowProcA(LabelProcedure, control, message, wParam, lParam);
}

TEST_F(PlotSurface, TheReadoutIsWrittenOnlyWhenItsTextChanges)
{
    HWND label = GetDlgItem(window, facts::IdLiveReadout);
    LabelProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountSetText)));
    facts::SampleRate = 44100;
    display::Mouse.CursorFrequency = 1033.59375f;
    dsp::Spectrum[24] = Minus20;
    SetWindowTextA(label, "");
    SetTextCount = 0;
    for (int32_t n = 0; n < 5; ++n)
        display::ShowNewSpectrum();
    EXPECT_EQ(SetTextCount, 1);
    EXPECT_EQ(WindowText(facts::IdLiveReadout), "1033.6Hz, -20.0dB");

    dsp::Spectrum[24] = 84300.0f;
    display::ShowNewSpectrum();
    EXPECT_EQ(WindowText(facts::IdLiveReadout), "1033.6Hz, 0.0dB");
    // Text written by anyone else is put right by the next redraw.
    SetWindowTextA(label, "1033.6Hz, -20.0dB");
    display::ShowNewSpectrum();
    EXPECT_EQ(WindowText(facts::IdLiveReadout), "1033.6Hz, 0.0dB");
    EXPECT_EQ(SetTextCount, 4);
    SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LabelProcedure));
}

TEST_F(PlotSurface, ReleaseAndCreateAgainLeaveNothingBehind)
{
    const int start = testsupport::CountGdiObjects();
    display::ReleasePlotSurface();
    // The font outlives the surface; bitmaps, pen and memory contexts are gone.
    const int released = testsupport::CountGdiObjects();
    EXPECT_LE(released, start - 5);
    display::CreatePlotSurface();
    EXPECT_EQ(testsupport::CountGdiObjects(), start);
    // The new surface draws its graticule anew rather than copying the empty
    // bitmap it was given.
    display::Mouse.CursorX = 50;
    display::ClearPlot();
    display::RedrawPlotReference(display::Mouse.CursorX);
    const Picture plain = Bitmap();
    display::ShowNewSpectrum();
    EXPECT_TRUE(Bitmap().pixels == plain.pixels);
    EXPECT_EQ(testsupport::CountGdiObjects(), start);
}

}  // namespace
