// The main window: its construction from a fixed layout in dialog units, its
// menu bar, start-up of the analysis and the drawing surface, and
// MainDialogProc, which hands each event to the module that owns it.
#include "app/mainwindow.h"

#include <commctrl.h>

#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/drawing.h"
#include "display/mouse.h"
#include "display/sliderhandlers.h"
#include "display/sliders.h"
#include "display/surface.h"
#include "dsp/fft.h"
#include "dsp/window.h"
#include "commands/about.h"
#include "commands/accessories.h"
#include "commands/savefft.h"
#include "facts/facts.h"
#include "win/template.h"
#include "win/controls.h"
#include "win/routing.h"
#include "win/modal.h"

namespace app {

namespace {

// The window functions in the order of the selector's items; an item's index
// is the window kind.
const char* const WindowNames[] = {
    "Blackmann", "Hamming", "Hanning", "Kaiser", "Welch (Gaussian)", "Rectangular"};
static_assert(sizeof WindowNames / sizeof WindowNames[0] == dsp::WindowKindCount,
              "a window kind without its name in the selector, or a name without its kind");

constexpr DWORD MainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                            WS_MAXIMIZEBOX | DS_CENTER | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK;
static_assert(MainStyle == 0x80CF0854, "main window style");
// A child control dialog, hidden until shown.
constexpr DWORD PanelStyle = WS_CHILD | WS_CLIPSIBLINGS | DS_CONTROL | DS_SETFONT |
                             DS_NOFAILCREATE | DS_3DLOOK;
static_assert(PanelStyle == 0x44000454, "sample-rate panel style");
constexpr int MainWidth = 490;            // client size in dialog units
constexpr int MainHeight = 250;

// One row of the layout: a child control in dialog units. `pinned` is the
// number the style must come to; StylesArePinned checks every row of a table.
struct ControlRow {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    DWORD style;
    DWORD pinned;
    DWORD exStyle;
};

template <size_t N>
constexpr bool StylesArePinned(const ControlRow (&rows)[N])
{
    for (const ControlRow& row : rows) {
        if (row.style != row.pinned)
            return false;
    }
    return true;
}

// The controls created before the sample-rate panel, in Z and tab order.
constexpr ControlRow ControlsBeforePanel[] = {
    {facts::IdPlot, "STATIC", "", 5, 5, 350, 211, WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_CENTERIMAGE | SS_BITMAP, 0x5000120E, WS_EX_CLIENTEDGE},
    {facts::IdLiveReadout, "STATIC", "", 5, 220, 100, 14, WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_CENTERIMAGE | SS_LEFT, 0x50001200, 0},
    {facts::IdZoomReadout, "STATIC", "", 108, 220, 100, 14, WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_CENTERIMAGE | SS_LEFT, 0x50001200, 0},
    {facts::IdStartStop, "BUTTON", facts::StartCaption, 410, 190, 60, 15, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0x50010000, 0},
    {facts::IdAveragesSlider, "msctls_trackbar32", "Slider", 390, 0, 15, 220, WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_VERT | TBS_BOTH | TBS_NOTICKS, 0x5001001A, 0},
    {-1, "STATIC", "  FFT\r\naverage", 386, 219, 30, 24, WS_CHILD | WS_VISIBLE | SS_LEFT, 0x50000000, 0},
    {facts::IdAveragesLabel, "STATIC", "1.0 Averages", 285, 220, 50, 14, WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_CENTERIMAGE | SS_LEFT, 0x50001200, 0},
    {facts::IdOffsetSlider, "msctls_trackbar32", "Slider", 360, 0, 15, 220, WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_VERT | TBS_BOTH | TBS_NOTICKS, 0x5001001A, 0},
    {-1, "STATIC", "Y-offset", 355, 222, 25, 14, WS_CHILD | WS_VISIBLE | SS_LEFT, 0x50000000, 0},
    {facts::IdOffsetLabel, "STATIC", "Offset + 0dB", 220, 220, 50, 14, WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_CENTERIMAGE | SS_LEFT, 0x50001200, 0},
};
static_assert(StylesArePinned(ControlsBeforePanel), "a control's style is not its number");

// The panel's rectangle in the main window, and its controls in its own
// client area.
constexpr ControlRow PanelRow = {0, "", "", 410, 125, 70, 55, PanelStyle, 0x44000454,
                                 WS_EX_CONTROLPARENT};
constexpr ControlRow PanelControls[] = {
    {facts::IdRateGroup, "BUTTON", "Sample Rate", 0, 0, 70, 55, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0x50000007, 0},
    {facts::RateButtons[0].id, "BUTTON", facts::RateButtons[0].caption, 5, 10, 35, 10, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_VCENTER | BS_LEFT | BS_AUTORADIOBUTTON, 0x50030D09, 0},
    {facts::RateButtons[1].id, "BUTTON", facts::RateButtons[1].caption, 5, 25, 35, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_VCENTER | BS_LEFT | BS_AUTORADIOBUTTON, 0x50010D09, 0},
    {facts::RateButtons[2].id, "BUTTON", facts::RateButtons[2].caption, 5, 40, 35, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_VCENTER | BS_LEFT | BS_AUTORADIOBUTTON, 0x50010D09, 0},
};
static_assert(StylesArePinned(PanelControls), "a control's style is not its number");

// The controls created after the panel.
constexpr ControlRow ControlsAfterPanel[] = {
    {facts::IdFreqScaleGroup, "BUTTON", "Freq scale", 410, 55, 70, 45, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0x50000007, 0},
    {facts::IdLinear, "BUTTON", "&Linear", 415, 67, 35, 10, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_VCENTER | BS_LEFT | BS_AUTORADIOBUTTON, 0x50030D09, 0},
    {facts::IdLogarithmic, "BUTTON", "Lo&garithmic", 415, 82, 48, 10, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_VCENTER | BS_LEFT | BS_AUTORADIOBUTTON, 0x50010D09, 0},
    {-1, "BUTTON", "FFT window", 410, 5, 70, 35, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0x50000007, 0},
    {facts::IdWindowSelector, "COMBOBOX", "", 415, 15, 60, 70, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | CBS_DROPDOWN, 0x50030002, 0},
};
static_assert(StylesArePinned(ControlsAfterPanel), "a control's style is not its number");

// A menu item and the handler its item data carries.
struct MenuRow {
    const char* text;
    UINT id;
    winlayer::Handler handler;
};

const MenuRow FileItems[] = {
    {"Save FFT to file", facts::IdMenuSaveToFile, commands::SaveFftToFile},
    {"Save FFT to clipboard", facts::IdMenuSaveToClipboard, commands::SaveFftToClipboard},
};
const MenuRow SoundcardItems[] = {
    {"Mixer", facts::IdMenuMixer, commands::RunMixer},
    {"Audio Devices", facts::IdMenuAudioDevices, commands::RunAudioDevices},
    {"SelectSoundcard", facts::IdMenuSelectSoundcard, capture::SelectSoundcard},
};
const MenuRow HelpItems[] = {
    {"Help", facts::IdMenuHelp, commands::ShowHelp},
    {"About", facts::IdMenuAbout, commands::ShowAbout},
};

template <size_t N>
void AddControls(HWND dialog, const ControlRow (&rows)[N])
{
    for (const ControlRow& row : rows)
        winlayer::AddControl(dialog, row.className, row.text, row.id, row.x, row.y, row.cx,
                             row.cy, row.style, row.exStyle);
}

template <size_t N>
void AddPopup(HMENU bar, const char* title, const MenuRow (&rows)[N])
{
    HMENU popup = CreatePopupMenu();
    for (const MenuRow& row : rows)
        winlayer::AddMenuItem(popup, row.text, row.id, row.handler);
    winlayer::AddMenuPopup(bar, title, popup);
}

// Every control in creation order; the panel and its buttons come between
// the offset label and the frequency-scale group.
void CreateControls()
{
    AddControls(facts::MainDialog, ControlsBeforePanel);
    facts::SampleRatePanel = winlayer::CreateDialogWindow(
        facts::MainDialog, PanelRow.text, PanelRow.style, PanelRow.exStyle, PanelRow.x, PanelRow.y,
        PanelRow.cx, PanelRow.cy);
    AddControls(facts::SampleRatePanel, PanelControls);
    AddControls(facts::MainDialog, ControlsAfterPanel);

    HWND selector = GetDlgItem(facts::MainDialog, facts::IdWindowSelector);
    for (const char* name : WindowNames)
        SendMessageA(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));

    winlayer::Bind(GetDlgItem(facts::MainDialog, facts::IdAveragesSlider), display::OnAveragesSlider);
    winlayer::Bind(GetDlgItem(facts::MainDialog, facts::IdOffsetSlider), display::OnOffsetSlider);
    // The selector's own handler lives with the capture engine, since what it
    // keeps (WindowKindInUse, the kind the next pass uses while typed text
    // selects no entry) is the engine's. The routing gives a control's
    // command to that handler first and then to MainDialogProc, whose
    // HandleCommand blanks the picture for the new kind.
    winlayer::Bind(selector, capture::OnWindowSelector);
}

// The menu bar: "File", "Soundcard" and "Help", each item carrying its handler.
void CreateMenuBar()
{
    HMENU bar = CreateMenu();
    AddPopup(bar, "File", FileItems);
    AddPopup(bar, "Soundcard", SoundcardItems);
    AddPopup(bar, "Help", HelpItems);
    SetMenu(facts::MainDialog, bar);
}

void SetSlider(int id, LPARAM maximum, LPARAM position)
{
    HWND slider = GetDlgItem(facts::MainDialog, id);
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, maximum));
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
}

// WM_INITDIALOG: the panel shown, the starting choices and settings.
INT_PTR InitialiseControls()
{
    winlayer::ShowDialog(facts::SampleRatePanel, display::OnSampleRatePanel);
    SendDlgItemMessageA(facts::MainDialog, facts::IdLinear, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(facts::SampleRatePanel, facts::IdRate44100, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(facts::MainDialog, facts::IdWindowSelector, CB_SETCURSEL, 0, 0);
    SetSlider(facts::IdAveragesSlider, display::AveragesSliderMax, display::AveragesSliderMax);
    SetSlider(facts::IdOffsetSlider, display::OffsetSliderMax, display::OffsetSliderMax);
    dsp::InitialiseSettings();
    return 0;
}

// WM_COMMAND: Start/Stop on a click, and a blank bitmap when the scale or the
// window function changes (the next copy shows it).
INT_PTR HandleCommand(WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case facts::IdStartStop:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1)
            capture::ToggleCapture();
        break;
    case facts::IdLinear:
    case facts::IdLogarithmic:
    case facts::IdWindowSelector:
        display::ClearPlot();
        break;
    }
    return 0;
}

// WM_CLOSE: from the close box, or from outside (Task Manager's "End task",
// a logoff), which Windows ends by force when it is not answered. While
// capture runs the device is let go and the surface released first. The
// window is destroyed here in either case; the close box's ending then finds
// it gone.
INT_PTR Close()
{
    if (capture::DeviceIsOpen()) {
        capture::CloseWaveIn();
        display::ReleasePlotSurface();
        winlayer::EndDialogWithValue(facts::SampleRatePanel, 0);
    }
    DestroyWindow(facts::MainDialog);
    return 0;
}

}  // namespace

INT_PTR MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitialiseControls();
    case WM_COMMAND:
        return HandleCommand(wParam);
    case WM_PAINT:
        display::RepaintPlot();
        return 0;
    case WM_CLOSE:
        return Close();
    case WM_SETCURSOR:
        return display::ShowPlotPointer(lParam) ? winlayer::Answer(window, TRUE) : 0;
    case WM_MOUSEMOVE:
        display::FollowMouse(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        display::BeginZoomSelection(lParam);
        return 0;
    case WM_LBUTTONUP:
        display::EndZoomSelection(lParam);
        return 0;
    }
    return 0;
}

void BuildMainWindow(HWND owner)
{
    facts::MainDialog = winlayer::CreateDialogWindow(owner, " ", MainStyle, 0, 0, 0, MainWidth,
                                              MainHeight);
    SetWindowTextA(facts::MainDialog, "Spectrum Analyzer");
    winlayer::SetDialogIcon(facts::MainDialog, facts::IconName);
    CreateControls();
    CreateMenuBar();
    dsp::StartUp([] { Sleep(0); });
    capture::StartUp(display::LeaveZoomForCapture, display::ShowNewSpectrum);
    display::CreatePlotSurface();
}

void ShowMainWindow()
{
    winlayer::BeginModal(facts::MainDialog, MainDialogProc);
}

INT_PTR MainWindowLoop()
{
    return winlayer::ModalLoop(facts::MainDialog);
}

INT_PTR RunMainWindow(HWND owner)
{
    BuildMainWindow(owner);
    ShowMainWindow();
    return MainWindowLoop();
}

}  // namespace app
