// The "Select soundcard" dialog against the real main window, with a scripted
// device list. The dialog is modal, so each test drives it from a timer that
// fires inside the dialog's own message loop.
#include "tests/capture/capture_fixture.h"

#include "capture/capture.h"
#include "capture/soundcard.h"
#include "tests/support/win32_test_support.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Dialog = CaptureTest;

HWND DeviceList() { return Dialog::DeviceList(); }

int Selection() { return static_cast<int>(SendMessageA(DeviceList(), CB_GETCURSEL, 0, 0)); }

scripted::Script ThreeDevices()
{
    scripted::Script script;
    script.deviceNames = {"Line In", "Microphone", "Stereo Mix"};
    return script;
}

// What a test saw while the dialog was open.
struct Observed {
    std::vector<std::string> names;
    int selection = -2;
    bool mainEnabled = true;
    std::string caption;
    std::string className;
    LONG style = 0, exStyle = 0;
    RECT client = {}, window = {}, list = {}, ok = {};
    LONG listStyle = 0, okStyle = 0;
    std::string okText;
    COLORREF background = 0;
    std::string startStop;
    bool capturing = true;
};
Observed Open;

RECT ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, capture::SoundcardDialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Observe()
{
    HWND dialog = capture::SoundcardDialog;
    Open = Observed();
    Open.names = Dialog::ListedNames();
    Open.selection = Selection();
    Open.mainEnabled = IsWindowEnabled(facts::MainDialog) != FALSE;
    Open.caption = testsupport::WindowText(dialog);
    Open.style = GetWindowLongA(dialog, GWL_STYLE);
    Open.exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    GetClientRect(dialog, &Open.client);
    GetWindowRect(dialog, &Open.window);
    Open.list = ChildRect(DeviceList());
    HWND ok = GetDlgItem(dialog, capture::IdDeviceOk);
    Open.ok = ChildRect(ok);
    Open.listStyle = GetWindowLongA(DeviceList(), GWL_STYLE);
    Open.okStyle = GetWindowLongA(ok, GWL_STYLE);
    Open.okText = testsupport::WindowText(ok);
    testsupport::PumpMessages(60);
    HDC dc = GetDC(dialog);
    Open.background = GetPixel(dc, 230, 55);
    ReleaseDC(dialog, dc);
    Open.startStop = testsupport::WindowText(GetDlgItem(facts::MainDialog, facts::IdStartStop));
    Open.capturing = capture::WaveIn != nullptr;
}

TEST_F(CaptureTest, TheDialogListsTheDevicesInOrderAndStoresTheThird)
{
    scripted::Install(ThreeDevices());
    capture::InputDevice = 1;

    OpenSoundcardDialog([] {
        Observe();
        SendMessageA(DeviceList(), CB_SETCURSEL, 2, 0);
        PressOk();
    });

    const std::vector<std::string> expected = {"Line In", "Microphone", "Stereo Mix"};
    EXPECT_EQ(Open.names, expected);
    EXPECT_EQ(Open.selection, 1);
    EXPECT_FALSE(Open.mainEnabled);
    EXPECT_EQ(capture::InputDevice, 2);
    EXPECT_EQ(capture::SoundcardDialog, nullptr);
    EXPECT_TRUE(IsWindowEnabled(facts::MainDialog));
}

// Caption, styles, placement in pixels, the two controls and the light cyan.
TEST_F(CaptureTest, TheDialogIsASmallCyanToolWindowBesideThePlot)
{
    scripted::Install(ThreeDevices());
    OpenSoundcardDialog([] { Observe(); PressOk(); });

    EXPECT_EQ(Open.caption, "Select soundcard");
    EXPECT_TRUE(Open.style & WS_SYSMENU);
    EXPECT_TRUE(Open.style & WS_CAPTION);
    EXPECT_FALSE(Open.style & WS_THICKFRAME);
    EXPECT_FALSE(Open.style & WS_CHILD);
    EXPECT_TRUE(Open.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_EQ(Open.client.right, 237);
    EXPECT_EQ(Open.client.bottom, 60);
    POINT origin = {0, 0};
    ClientToScreen(facts::MainDialog, &origin);
    EXPECT_EQ(Open.window.left, origin.x + 100);
    EXPECT_EQ(Open.window.top, origin.y + 100);
    EXPECT_EQ(Open.list.left, 1);
    EXPECT_EQ(Open.list.top, 2);
    EXPECT_EQ(Open.list.right - Open.list.left, 180);
    EXPECT_EQ(Open.listStyle & 0xFFFF000F, 0x50010002);
    EXPECT_EQ(Open.ok.left, 10);
    EXPECT_EQ(Open.ok.top, 26);
    EXPECT_EQ(Open.ok.right - Open.ok.left, 70);
    EXPECT_EQ(Open.ok.bottom - Open.ok.top, 23);
    EXPECT_EQ(Open.okStyle & 0xFFFF000F, 0x50010000);
    EXPECT_EQ(Open.okText, "OK");
    EXPECT_EQ(Open.background, RGB(224, 255, 255));
}

TEST_F(CaptureTest, TheCloseBoxKeepsTheInputDevice)
{
    scripted::Install(ThreeDevices());
    capture::InputDevice = 1;
    OpenSoundcardDialog([] {
        SendMessageA(DeviceList(), CB_SETCURSEL, 2, 0);
        SendMessageA(capture::SoundcardDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(capture::InputDevice, 1);
    EXPECT_EQ(capture::SoundcardDialog, nullptr);
    EXPECT_TRUE(IsWindowEnabled(facts::MainDialog));
}

// Esc, and Enter with the focus in the list, change nothing.
TEST_F(CaptureTest, EscAndEnterInTheListLeaveTheDialogOpen)
{
    static bool openAfterKeys = false;
    scripted::Install(ThreeDevices());
    capture::InputDevice = 0;
    OpenSoundcardDialog([] {
        SetFocus(DeviceList());
        HWND focus = GetFocus();
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            PostMessageA(focus, WM_KEYDOWN, key, 0);
            PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        }
        testsupport::PumpMessages(60);
        openAfterKeys = IsWindow(capture::SoundcardDialog) != FALSE;
        SendMessageA(capture::SoundcardDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(capture::InputDevice, 0);
}

// A device number beyond the list preselects nothing; OK then stores -1.
TEST_F(CaptureTest, AnInputDeviceBeyondTheListSelectsNothing)
{
    scripted::Install(ThreeDevices());
    capture::InputDevice = 5;
    OpenSoundcardDialog([] { Observe(); PressOk(); });
    EXPECT_EQ(Open.selection, -1);
    EXPECT_EQ(capture::InputDevice, -1);
}

// Opening the dialog during capture stops it, and it stays stopped.
TEST_F(CaptureTest, TheDialogDuringCaptureLeavesCaptureStopped)
{
    scripted::Script script = ThreeDevices();
    script.onQueued = [](int index) {
        if (index == 2)
            OpenSoundcardDialogFromQueue([] { Observe(); PressOk(); });
    };
    scripted::Install(script);

    ClickStartStop();

    EXPECT_EQ(Open.startStop, "&Start");
    EXPECT_FALSE(Open.capturing);
    EXPECT_EQ(CaptureTest::StartStopCaption(), "&Start");
    EXPECT_EQ(capture::WaveIn, nullptr);
    EXPECT_EQ(scripted::CountCalls("open"), 1);
    EXPECT_EQ(scripted::CountCalls("close"), 1);
    // The device list was read after the device had been closed.
    const std::vector<std::string>& calls = scripted::Seen().calls;
    const auto close = std::find(calls.begin(), calls.end(), "close");
    const auto count = std::find(calls.begin(), calls.end(), "count");
    EXPECT_LT(close - calls.begin(), count - calls.begin());
}

}  // namespace
