// The main window as start-up leaves it: frame, placement, every control of
// the layout, the menu bar, the starting choices and the shared settings.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <iterator>
#include <string>

#include "app/mainwindow.h"
#include "display/sliderhandlers.h"
#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "win/routing.h"
#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "dsp/fft.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/win32_test_support.h"

namespace {

using apptest::MainWindow;
using apptest::PixelsX;
using apptest::PixelsY;

// The layout in creation (Z) order, with the class names the system reports.
struct Expected {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

const Expected MainChildren[] = {
    {1003, "Static", "", 5, 5, 350, 211, 0x5000120E, WS_EX_CLIENTEDGE},
    {2100, "Static", nullptr, 5, 220, 100, 14, 0x50001200, 0},  // text: the readout
    {2101, "Static", "", 108, 220, 100, 14, 0x50001200, 0},
    {1004, "Button", "&Start", 410, 190, 60, 15, 0x50010000, 0},
    {1005, "msctls_trackbar32", "Slider", 390, 0, 15, 220, 0x5001001A, 0},
    {0xFFFF, "Static", "  FFT\r\naverage", 386, 219, 30, 24, 0x50000000, 0},
    {2102, "Static", "1.0 Averages", 285, 220, 50, 14, 0x50001200, 0},
    {1024, "msctls_trackbar32", "Slider", 360, 0, 15, 220, 0x5001001A, 0},
    {0xFFFF, "Static", "Y-offset", 355, 222, 25, 14, 0x50000000, 0},
    {2103, "Static", "Offset + 0dB", 220, 220, 50, 14, 0x50001200, 0},
    {0, "#32770", "", 410, 125, 70, 55, 0x54000454, WS_EX_CONTROLPARENT},
    {1007, "Button", "Freq scale", 410, 55, 70, 45, 0x50000007, 0},
    {1008, "Button", "&Linear", 415, 67, 35, 10, 0x50030D09, 0},
    {1009, "Button", "Lo&garithmic", 415, 82, 48, 10, 0x50010D09, 0},
    {0xFFFF, "Button", "FFT window", 410, 5, 70, 35, 0x50000007, 0},
    {1022, "ComboBox", "Blackmann", 415, 15, 60, 70, 0x50030002, 0},
};

const Expected PanelChildren[] = {
    {1011, "Button", "Sample Rate", 0, 0, 70, 55, 0x50000007, 0},
    {1010, "Button", "&11025", 5, 10, 35, 10, 0x50030D09, 0},
    {1017, "Button", "&22050", 5, 25, 35, 10, 0x50010D09, 0},
    {1018, "Button", "&44100", 5, 40, 35, 10, 0x50010D09, 0},
};

template <size_t N>
void ExpectChildren(HWND parent, const Expected (&rows)[N])
{
    HWND child = GetWindow(parent, GW_CHILD);
    for (const Expected& row : rows) {
        ASSERT_TRUE(child) << "missing control " << row.id;
        SCOPED_TRACE(testing::Message() << "control " << row.id << " \"" << (row.text ? row.text : "") << "\"");
        EXPECT_EQ(testsupport::ClassName(child), row.className);
        if (row.text) {
            EXPECT_EQ(testsupport::WindowText(child), row.text);
        }
        EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), row.id);
        // The system takes WS_TABSTOP away from unchecked radio buttons, so
        // after initialisation only the checked one of a group keeps it.
        DWORD style = row.style;
        if ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
            SendMessageA(child, BM_GETCHECK, 0, 0) != BST_CHECKED)
            style &= ~WS_TABSTOP;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), style);
        // A sunken static gets WS_EX_STATICEDGE from the system.
        DWORD exStyle = row.exStyle;
        if (lstrcmpA(row.className, "Static") == 0 && (row.style & SS_SUNKEN))
            exStyle |= WS_EX_STATICEDGE;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)), exStyle);
        RECT box = apptest::RectInParent(child);
        EXPECT_EQ(box.left, PixelsX(row.x));
        EXPECT_EQ(box.top, PixelsY(row.y));
        EXPECT_EQ(box.right - box.left, PixelsX(row.cx));
        if (row.id != facts::IdWindowSelector) {
            EXPECT_EQ(box.bottom - box.top, PixelsY(row.cy));
        } else {
            // The selector's height includes its drop-down list: its dropped
            // rectangle matches that of a combo box made 70 units high.
            HWND reference = CreateWindowExA(0, "COMBOBOX", "", row.style, 0, 0, PixelsX(row.cx),
                                             PixelsY(row.cy), parent, nullptr, nullptr, nullptr);
            SendMessageA(reference, WM_SETFONT, SendMessageA(child, WM_GETFONT, 0, 0), TRUE);
            RECT dropped, expected, field;
            SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
            SendMessageA(reference, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&expected));
            GetWindowRect(reference, &field);
            DestroyWindow(reference);
            EXPECT_EQ(dropped.bottom - dropped.top, expected.bottom - expected.top);
            EXPECT_EQ(box.bottom - box.top, field.bottom - field.top);
        }
        // Trackbars and image statics keep no font; the panel has its own.
        const bool keepsFont = lstrcmpA(row.className, "#32770") != 0 &&
                               lstrcmpA(row.className, "msctls_trackbar32") != 0 &&
                               !(lstrcmpA(row.className, "Static") == 0 &&
                                 (row.style & SS_TYPEMASK) == SS_BITMAP);
        if (keepsFont) {
            EXPECT_EQ(SendMessageA(child, WM_GETFONT, 0, 0), SendMessageA(parent, WM_GETFONT, 0, 0));
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the layout has";
}

TEST_F(MainWindow, TitleFrameAndDialogFont)
{
    EXPECT_EQ(testsupport::WindowText(facts::MainDialog), "Spectrum Analyzer");
    EXPECT_EQ(testsupport::ClassName(facts::MainDialog), "#32770");
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(facts::MainDialog, GWL_STYLE)) & ~WS_CLIPSIBLINGS,
              0x80CF0854u | WS_VISIBLE);
    EXPECT_EQ(GetWindow(facts::MainDialog, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowVisible(facts::MainDialog));

    RECT units = {0, 0, 4, 8};
    MapDialogRect(facts::MainDialog, &units);
    EXPECT_EQ(units.right, apptest::BaseX) << "dialog font is not MS Sans Serif 8 pt";
    EXPECT_EQ(units.bottom, apptest::BaseY) << "dialog font is not MS Sans Serif 8 pt";
}

TEST_F(MainWindow, CentredWithTheMenuTakenFromTheClientArea)
{
    RECT client, frame;
    GetClientRect(facts::MainDialog, &client);
    GetWindowRect(facts::MainDialog, &frame);
    MENUBARINFO bar = {};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetMenuBarInfo(facts::MainDialog, OBJID_MENU, 0, &bar));
    const int barHeight = bar.rcBar.bottom - bar.rcBar.top;
    EXPECT_GT(barHeight, 10);

    EXPECT_EQ(client.right, PixelsX(490));
    // The menu bar and the line below it come out of the 250 units.
    EXPECT_GE(client.bottom, PixelsY(250) - barHeight - 1);
    EXPECT_LE(client.bottom, PixelsY(250) - barHeight);

    // The outer size is that of a window without menu around 490 x 250 units.
    RECT expected = {0, 0, PixelsX(490), PixelsY(250)};
    AdjustWindowRectEx(&expected, GetWindowLongA(facts::MainDialog, GWL_STYLE), FALSE,
                       GetWindowLongA(facts::MainDialog, GWL_EXSTYLE));
    EXPECT_EQ(frame.right - frame.left, expected.right - expected.left);
    EXPECT_EQ(frame.bottom - frame.top, expected.bottom - expected.top);

    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2.0, (work.left + work.right) / 2.0, 1.0);
    EXPECT_NEAR((frame.top + frame.bottom) / 2.0, (work.top + work.bottom) / 2.0, 1.0);
}

TEST_F(MainWindow, EveryControlOfTheLayoutInCreationOrder)
{
    ExpectChildren(facts::MainDialog, MainChildren);
}

TEST_F(MainWindow, RateButtonsLiveInTheSampleRatePanel)
{
    HWND panel = facts::SampleRatePanel;
    EXPECT_EQ(GetParent(panel), facts::MainDialog);
    EXPECT_EQ(GetWindow(facts::MainDialog, GW_CHILD), GetDlgItem(facts::MainDialog, facts::IdPlot));
    EXPECT_TRUE(IsWindowVisible(panel));
    ExpectChildren(panel, PanelChildren);
    for (int id : {1010, 1011, 1017, 1018})
        EXPECT_EQ(GetDlgItem(facts::MainDialog, id), nullptr) << id << " belongs to the panel";
    EXPECT_EQ(winlayer::BoundHandler(panel), display::OnSampleRatePanel);
}

TEST_F(MainWindow, IconIsSetAtBothSizes)
{
    HICON big = reinterpret_cast<HICON>(SendMessageA(facts::MainDialog, WM_GETICON, ICON_BIG, 0));
    HICON little = reinterpret_cast<HICON>(SendMessageA(facts::MainDialog, WM_GETICON, ICON_SMALL, 0));
    ASSERT_TRUE(big);
    ASSERT_TRUE(little);
    EXPECT_NE(big, little);
}

TEST_F(MainWindow, MenuBarWithThreePopupsAndSevenItems)
{
    struct Item { const char* text; UINT id; winlayer::Handler handler; };
    struct Popup { const char* text; std::vector<Item> items; };
    const Popup popups[] = {
        {"File", {{"Save FFT to file", 1027, commands::SaveFftToFile},
                  {"Save FFT to clipboard", 1028, commands::SaveFftToClipboard}}},
        {"Soundcard", {{"Mixer", 1025, commands::RunMixer},
                       {"Audio Devices", 1026, commands::RunAudioDevices},
                       {"SelectSoundcard", 1029, capture::SelectSoundcard}}},
        {"Help", {{"Help", 2000, commands::ShowHelp}, {"About", 2001, commands::ShowAbout}}},
    };
    auto describe = [](HMENU menu, int position, char* text, MENUITEMINFOA& item) {
        item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_DATA | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 64;
        return GetMenuItemInfoA(menu, position, TRUE, &item);
    };

    HMENU bar = GetMenu(facts::MainDialog);
    ASSERT_TRUE(bar);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    for (int p = 0; p < 3; ++p) {
        char text[64] = {};
        MENUITEMINFOA entry;
        ASSERT_TRUE(describe(bar, p, text, entry));
        EXPECT_STREQ(text, popups[p].text);
        EXPECT_EQ(entry.wID, 0u);
        ASSERT_TRUE(entry.hSubMenu);
        HMENU popup = entry.hSubMenu;
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(popups[p].items.size()));
        for (size_t i = 0; i < popups[p].items.size(); ++i) {
            const Item& want = popups[p].items[i];
            MENUITEMINFOA item;
            ASSERT_TRUE(describe(popup, static_cast<int>(i), text, item));
            SCOPED_TRACE(want.text);
            EXPECT_STREQ(text, want.text);
            EXPECT_EQ(std::string(text).find('&'), std::string::npos);
            EXPECT_EQ(item.fType, static_cast<UINT>(MFT_STRING));
            EXPECT_EQ(item.fState, 0u) << "enabled and unchecked";
            EXPECT_EQ(item.wID, want.id);
            EXPECT_EQ(item.hSubMenu, nullptr);
            EXPECT_EQ(item.dwItemData, reinterpret_cast<ULONG_PTR>(want.handler));
            EXPECT_EQ(GetDlgItem(facts::MainDialog, want.id), nullptr) << "menu id shadowed by a control";
        }
    }
}

TEST_F(MainWindow, SelectorListsEveryWindowWithBlackmannSelected)
{
    const char* names[] = {"Blackmann", "Hamming", "Hanning", "Kaiser", "Welch (Gaussian)", "Rectangular"};
    static_assert(std::size(names) == dsp::WindowKindCount, "a new window kind needs its name here");
    HWND selector = GetDlgItem(facts::MainDialog, facts::IdWindowSelector);
    ASSERT_EQ(SendMessageA(selector, CB_GETCOUNT, 0, 0), dsp::WindowKindCount);
    for (int i = 0; i < dsp::WindowKindCount; ++i) {
        char text[64] = {};
        SendMessageA(selector, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, names[i]);
    }
    EXPECT_EQ(SendMessageA(selector, CB_GETCURSEL, 0, 0), 0);
    // A drop-down, not a drop-down list: it has an edit field to type into.
    EXPECT_TRUE(FindWindowExA(selector, nullptr, "Edit", nullptr));
}

TEST_F(MainWindow, StartingChoicesAreLinearAnd44100)
{
    auto checked = [](HWND parent, int id) { return SendDlgItemMessageA(parent, id, BM_GETCHECK, 0, 0); };
    EXPECT_EQ(checked(facts::MainDialog, facts::IdLinear), BST_CHECKED);
    EXPECT_EQ(checked(facts::MainDialog, facts::IdLogarithmic), BST_UNCHECKED);
    EXPECT_EQ(checked(facts::SampleRatePanel, facts::IdRate11025), BST_UNCHECKED);
    EXPECT_EQ(checked(facts::SampleRatePanel, facts::IdRate22050), BST_UNCHECKED);
    EXPECT_EQ(checked(facts::SampleRatePanel, facts::IdRate44100), BST_CHECKED);
}

TEST_F(MainWindow, SlidersStartAtTheBottomOfTheirRanges)
{
    struct Case { int id; LRESULT maximum; winlayer::Handler handler; };
    for (const Case& c : {Case{facts::IdAveragesSlider, 100, display::OnAveragesSlider},
                          Case{facts::IdOffsetSlider, 10, display::OnOffsetSlider}}) {
        HWND slider = GetDlgItem(facts::MainDialog, c.id);
        EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), 0) << c.id;
        EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), c.maximum) << c.id;
        EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), c.maximum) << c.id;
        EXPECT_EQ(winlayer::BoundHandler(slider), c.handler) << c.id;
    }
}

TEST_F(MainWindow, SettingsHaveTheirStartingValues)
{
    EXPECT_EQ(dsp::ReferenceLevel, 84300);
    EXPECT_EQ(dsp::OffsetMultiplier, 1);
    EXPECT_EQ(dsp::AveragingFactor, 1.0f);
    EXPECT_EQ(dsp::TwoPi, static_cast<float>(8.0 * std::atan(1.0)));
    EXPECT_EQ(capture::InputDevice, 0);
    EXPECT_EQ(facts::SampleRate, 0);
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_EQ(testsupport::WindowText(GetDlgItem(facts::MainDialog, facts::IdStartStop)), "&Start");
    EXPECT_EQ(winlayer::BoundHandler(facts::MainDialog), app::MainDialogProc);
}

TEST_F(MainWindow, MaximisingMovesNothing)
{
    std::vector<RECT> before;
    for (HWND c = GetWindow(facts::MainDialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        before.push_back(apptest::RectInParent(c));
    ShowWindow(facts::MainDialog, SW_MAXIMIZE);
    size_t i = 0;
    for (HWND c = GetWindow(facts::MainDialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i) {
        RECT now = apptest::RectInParent(c);
        EXPECT_TRUE(EqualRect(&now, &before[i])) << "child " << i;
    }
}

}  // namespace
