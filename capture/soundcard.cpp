#include "capture/soundcard.h"

#include "capture/capture.h"
#include "capture/wavein.h"
#include "facts/facts.h"
#include "win/template.h"
#include "win/controls.h"
#include "win/modal.h"

#include <cstring>

namespace capture {

HWND SoundcardDialog = nullptr;

namespace {

const COLORREF LightCyan = RGB(224, 255, 255);

// The sound-card dialog stops capture the way a user would, by pressing the
// button, so that the click runs the ordinary stop nested in the capture loop.
void StopCaptureByButton()
{
    if (StartStopCaption() == facts::StopCaption)
        SendMessageA(GetDlgItem(facts::MainDialog, facts::IdStartStop), BM_CLICK, 0, 0);
}

// szPname holds at most 31 characters and its NUL; a driver that fills all
// 32 bytes still gives a terminated name here.
void ListDevices(HWND list)
{
    const int last = static_cast<int>(wavein::Device.DeviceCount()) - 1;
    for (int device = 0; device <= last; ++device) {
        WAVEINCAPSA caps = {};
        wavein::Device.DeviceCaps(static_cast<UINT>(device), &caps);
        char name[sizeof caps.szPname + 1] = {};
        std::memcpy(name, caps.szPname, sizeof caps.szPname);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

void OnInitDialog(HWND dialog)
{
    StopCaptureByButton();
    HWND list = GetDlgItem(dialog, IdDeviceList);
    ListDevices(list);
    if (SendMessageA(list, CB_GETCOUNT, 0, 0) == 0) {
        winlayer::Warn("You have no audio input devices!");
        return;
    }
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(InputDevice), 0);
}

void OnOk(HWND dialog)
{
    InputDevice = static_cast<int32_t>(
        SendDlgItemMessageA(dialog, IdDeviceList, CB_GETCURSEL, 0, 0));
    StopCaptureByButton();
    winlayer::EndDialogWithValue(dialog, 0);
}

}  // namespace

INT_PTR SoundcardDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IdDeviceOk)
            OnOk(window);
        break;
    }
    return 0;
}

INT_PTR SelectSoundcard(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)window; (void)message; (void)wParam; (void)lParam;
    SoundcardDialog = winlayer::CreateDialogWindow(
        facts::MainDialog, "Select soundcard", WS_SYSMENU, WS_EX_TOOLWINDOW,
        100, 100, 237, 60, winlayer::Units::Pixels);
    winlayer::SetColours(SoundcardDialog, winlayer::DefaultColour, LightCyan);
    winlayer::AddControl(SoundcardDialog, "COMBOBOX", "", IdDeviceList, 1, 2, 180, 140,
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, 0,
                         winlayer::Units::Pixels);
    winlayer::AddControl(SoundcardDialog, "BUTTON", "OK", IdDeviceOk, 10, 26, 70, 23,
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                         winlayer::Units::Pixels);
    winlayer::RunModal(SoundcardDialog, SoundcardDialogProc);
    SoundcardDialog = nullptr;
    return 0;
}

}  // namespace capture
