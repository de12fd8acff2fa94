// The main window: its construction from a fixed layout in dialog units, its
// menu bar, start-up of the analysis and the drawing surface, and
// MainDialogProc, its event handler.
#include "app/mainwindow.h"

#include <commctrl.h>
#include <string>

#include "app/mouse.h"
#include "app/pending_handlers.h"
#include "app/winlayer.h"
#include "capture/capture.h"
#include "capture/soundcard.h"
#include "display/plot.h"
#include "dsp/fft.h"

namespace app {

const char* const WindowNames[WindowNameCount] = {
    "Blackmann", "Hamming", "Hanning", "Kaiser", "Welch (Gaussian)", "Rectangular"};

namespace {

constexpr DWORD MainStyle = 0x80CF0854;   // pop-up, caption, sizing frame, centred
constexpr DWORD PanelStyle = 0x44000454;  // child control dialog, hidden until shown
constexpr int MainWidth = 490;            // client size in dialog units
constexpr int MainHeight = 250;

// One row of the layout: a child control in dialog units.
struct ControlRow {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

// The controls created before the sample-rate panel, in Z and tab order.
const ControlRow ControlsBeforePanel[] = {
    {IdPlot, "STATIC", "", 5, 5, 350, 211, 0x5000120E, WS_EX_CLIENTEDGE},
    {IdLiveReadout, "STATIC", "", 5, 220, 100, 14, 0x50001200, 0},
    {IdZoomReadout, "STATIC", "", 108, 220, 100, 14, 0x50001200, 0},
    {IdStartStop, "BUTTON", "&Start", 410, 190, 60, 15, 0x50010000, 0},
    {IdAveragesSlider, "msctls_trackbar32", "Slider", 390, 0, 15, 220, 0x5001001A, 0},
    {-1, "STATIC", "  FFT\r\naverage", 386, 219, 30, 24, 0x50000000, 0},
    {IdAveragesLabel, "STATIC", "1.0 Averages", 285, 220, 50, 14, 0x50001200, 0},
    {IdOffsetSlider, "msctls_trackbar32", "Slider", 360, 0, 15, 220, 0x5001001A, 0},
    {-1, "STATIC", "Y-offset", 355, 222, 25, 14, 0x50000000, 0},
    {IdOffsetLabel, "STATIC", "Offset + 0dB", 220, 220, 50, 14, 0x50001200, 0},
};

// The panel's rectangle in the main window, and its controls in its own
// client area.
const ControlRow PanelRow = {0, "", "", 410, 125, 70, 55, PanelStyle, WS_EX_CONTROLPARENT};
const ControlRow PanelControls[] = {
    {IdRateGroup, "BUTTON", "Sample Rate", 0, 0, 70, 55, 0x50000007, 0},
    {IdRate11025, "BUTTON", "&11025", 5, 10, 35, 10, 0x50030D09, 0},
    {IdRate22050, "BUTTON", "&22050", 5, 25, 35, 10, 0x50010D09, 0},
    {IdRate44100, "BUTTON", "&44100", 5, 40, 35, 10, 0x50010D09, 0},
};

// The controls created after the panel.
const ControlRow ControlsAfterPanel[] = {
    {IdFreqScaleGroup, "BUTTON", "Freq scale", 410, 55, 70, 45, 0x50000007, 0},
    {IdLinear, "BUTTON", "&Linear", 415, 67, 35, 10, 0x50030D09, 0},
    {IdLogarithmic, "BUTTON", "Lo&garithmic", 415, 82, 48, 10, 0x50010D09, 0},
    {-1, "BUTTON", "FFT window", 410, 5, 70, 35, 0x50000007, 0},
    {IdWindowSelector, "COMBOBOX", "", 415, 15, 60, 70, 0x50030002, 0},
};

// A menu item and the handler its item data carries.
struct MenuRow {
    const char* text;
    UINT id;
    winlayer::Handler handler;
};

const MenuRow FileItems[] = {
    {"Save FFT to file", IdMenuSaveToFile, SaveFftToFile},
    {"Save FFT to clipboard", IdMenuSaveToClipboard, SaveFftToClipboard},
};
const MenuRow SoundcardItems[] = {
    {"Mixer", IdMenuMixer, RunMixer},
    {"Audio Devices", IdMenuAudioDevices, RunAudioDevices},
    {"SelectSoundcard", IdMenuSelectSoundcard, capture::SelectSoundcard},
};
const MenuRow HelpItems[] = {
    {"Help", IdMenuHelp, ShowHelp},
    {"About", IdMenuAbout, ShowAbout},
};

const char StartCaption[] = "&Start";

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

//--------------------------------------------------------------------------
// Every control in creation order; the panel and its buttons come between
// the offset label and the frequency-scale group.
void CreateControls()
{
    AddControls(MainDialog, ControlsBeforePanel);
    SampleRatePanel = winlayer::CreateDialogWindow(
        MainDialog, PanelRow.text, PanelRow.style, PanelRow.exStyle, PanelRow.x, PanelRow.y,
        PanelRow.cx, PanelRow.cy);
    AddControls(SampleRatePanel, PanelControls);
    AddControls(MainDialog, ControlsAfterPanel);

    HWND selector = GetDlgItem(MainDialog, IdWindowSelector);
    for (const char* name : WindowNames)
        SendMessageA(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));

    winlayer::Bind(GetDlgItem(MainDialog, IdAveragesSlider), OnAveragesSlider);
    winlayer::Bind(GetDlgItem(MainDialog, IdOffsetSlider), OnOffsetSlider);
}

//--------------------------------------------------------------------------
// The menu bar: "File", "Soundcard" and "Help", each item carrying its handler.
void CreateMenuBar()
{
    HMENU bar = CreateMenu();
    AddPopup(bar, "File", FileItems);
    AddPopup(bar, "Soundcard", SoundcardItems);
    AddPopup(bar, "Help", HelpItems);
    SetMenu(MainDialog, bar);
}

void SetSlider(int id, LPARAM maximum, LPARAM position)
{
    HWND slider = GetDlgItem(MainDialog, id);
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, maximum));
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
}

//--------------------------------------------------------------------------
// WM_INITDIALOG: the panel shown, the starting choices and settings.
INT_PTR InitialiseControls()
{
    winlayer::ShowDialog(SampleRatePanel, display::OnSampleRatePanel);
    SendDlgItemMessageA(MainDialog, IdLinear, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(SampleRatePanel, IdRate44100, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(MainDialog, IdWindowSelector, CB_SETCURSEL, 0, 0);
    SetSlider(IdAveragesSlider, 100, 100);
    SetSlider(IdOffsetSlider, 10, 10);
    dsp::InitialiseSettings();
    return 0;
}

//--------------------------------------------------------------------------
// The Start/Stop button: its caption tells whether capture runs.
void ToggleCapture()
{
    HWND button = GetDlgItem(MainDialog, IdStartStop);
    std::string caption(GetWindowTextLengthA(button) + 1, '\0');
    caption.resize(GetWindowTextA(button, &caption[0], static_cast<int>(caption.size())));
    if (caption == StartCaption)
        capture::StartCapture();
    else
        capture::StopCapture();
}

//--------------------------------------------------------------------------
// WM_COMMAND: Start/Stop on a click, and a blank bitmap when the scale or the
// window function changes (the next copy shows it).
INT_PTR HandleCommand(WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IdStartStop:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == 1)
            ToggleCapture();
        break;
    case IdLinear:
    case IdLogarithmic:
    case IdWindowSelector:
        display::ClearPlot();
        break;
    }
    return 0;
}

//--------------------------------------------------------------------------
// WM_PAINT: the live plot redrawn and copied; the default handling follows.
// The plot control paints itself black after its parent; when both were
// uncovered, it does so first here, or it would blank the copy at once and
// the plot would stay black until the next buffer.
INT_PTR RepaintPlot()
{
    UpdateWindow(display::PlotWindow);
    display::RedrawPlot(CursorX);
    return 0;
}

//--------------------------------------------------------------------------
// WM_CLOSE: only a close during capture releases anything here; otherwise
// the ending that sent WM_CLOSE destroys the window.
INT_PTR CloseDuringCapture()
{
    if (capture::WaveIn == 0)
        return 0;
    capture::CloseWaveIn();
    display::ReleasePlotSurface();
    winlayer::EndDialogWithValue(SampleRatePanel, 0);
    DestroyWindow(MainDialog);
    return 0;
}

}  // namespace

//--------------------------------------------------------------------------
// MainDialogProc
INT_PTR MainDialogProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitialiseControls();
    case WM_COMMAND:
        return HandleCommand(wParam);
    case WM_PAINT:
        return RepaintPlot();
    case WM_CLOSE:
        return CloseDuringCapture();
    // WM_MOUSEMOVE, WM_LBUTTONDOWN and WM_LBUTTONUP (the readout and the zoom
    // selection over the plot) are handled here once the mouse handling exists.
    }
    return 0;
}

//--------------------------------------------------------------------------
// BuildMainWindow
void BuildMainWindow(HWND owner)
{
    MainDialog = winlayer::CreateDialogWindow(owner, " ", MainStyle, 0, 0, 0, MainWidth,
                                              MainHeight);
    SetWindowTextA(MainDialog, "Spectrum Analyzer");
    winlayer::SetDialogIcon(MainDialog, "icon1");
    CreateControls();
    CreateMenuBar();
    dsp::StartUp();
    capture::InputDevice = 0;
    display::CreatePlotSurface();
}

//--------------------------------------------------------------------------
// ShowMainWindow
void ShowMainWindow()
{
    winlayer::BeginModal(MainDialog, MainDialogProc);
}

//--------------------------------------------------------------------------
// MainWindowLoop
INT_PTR MainWindowLoop()
{
    return winlayer::ModalLoop(MainDialog);
}

//--------------------------------------------------------------------------
// RunMainWindow
INT_PTR RunMainWindow(HWND owner)
{
    BuildMainWindow(owner);
    ShowMainWindow();
    return MainWindowLoop();
}

}  // namespace app
