// The actions a user repeats for a whole session, each done many times over
// the real main window: afterwards the process holds the same GDI and USER
// objects as after the first time. One table for every module, since the
// count is the process's: a row is an action, its warm-up (which makes what
// the system creates once) and how often it is repeated.
#include <windows.h>

#include <functional>
#include <string>

#include "capture/capture.h"
#include "display/mouse.h"
#include "display/surface.h"
#include "commands/about.h"
#include "tests/app/faults.h"
#include "tests/support/scripted_device.h"
#include "win/template.h"
#include "win/controls.h"
#include "win/routing.h"
#include "win/modal.h"

namespace {

using namespace faults;

HWND Control(int id) { return GetDlgItem(facts::MainDialog, id); }

void Mouse(UINT message, int x) { apptest::MouseAt(display::PlotWindow, message, x); }

void Repaint(int i)
{
    SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
    if (i % 10 == 0) {
        InvalidateRect(facts::MainDialog, nullptr, TRUE);
        UpdateWindow(facts::MainDialog);
    }
}

void DragAndMoveSliders(int i)
{
    Mouse(WM_LBUTTONDOWN, 50);
    Mouse(WM_MOUSEMOVE, 120);
    Mouse(WM_LBUTTONUP, 120);
    Mouse(WM_MOUSEMOVE, 80);
    SendMessageA(facts::MainDialog, WM_PAINT, 0, 0);
    for (int id : {int(facts::IdOffsetSlider), int(facts::IdAveragesSlider)})
        SendMessageA(Control(id), WM_KEYDOWN, i % 2 ? VK_PRIOR : VK_NEXT, 0);
    // The pointer warps come back as queued mouse messages.
    testsupport::PumpMessages(1);
}

void CALLBACK CloseAbout(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!commands::AboutBox || !IsWindowVisible(commands::AboutBox))
        return;
    KillTimer(nullptr, id);
    SendMessageA(commands::AboutBox, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void OpenAndCloseAbout(int)
{
    SetTimer(nullptr, 0, 20, CloseAbout);
    ExportTest::Menu(facts::IdMenuAbout);
}

void ChooseTheSecondDevice(int)
{
    Capture::OpenSoundcardDialog([] {
        SendMessageA(Capture::DeviceList(), CB_SETCURSEL, 1, 0);
        Capture::PressOk();
    });
}

INT_PTR Ignore(HWND, UINT, WPARAM, LPARAM) { return 0; }

// A dialog of the window layer with an icon, colours, a label and a
// handler, run modally and closed with its close box.
void LayerDialog(int)
{
    HWND made = winlayer::CreateDialogWindow(nullptr, "Leak", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                                             0, 0, 100, 60);
    winlayer::SetDialogIcon(made, "icon1");
    winlayer::SetColours(made, winlayer::DefaultColour, RGB(159, 220, 220));
    HWND label = winlayer::AddControl(made, "STATIC", "text", 10001, 5, 5, 50, 10,
                                      WS_CHILD | WS_VISIBLE, 0);
    winlayer::SetColours(label, winlayer::DefaultColour, RGB(159, 220, 220));
    winlayer::SetColours(label, winlayer::DefaultColour, RGB(159, 220, 221));
    winlayer::Bind(made, Ignore);
    winlayer::BeginModal(made, nullptr);
    testsupport::PumpMessages(2);
    winlayer::DialogProc(made, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(made));
}

void OneBufferOfATone()
{
    scripted::Script script = Capture::OneToneBuffer();
    script.deviceNames = {"First", "Second", "Third"};
    scripted::Install(script);
    Capture::ClickStartStop();
}

using Leaks = Faults;

TEST_F(Leaks, RepeatedActionsLeaveNoObjectsBehind)
{
    struct Row {
        const char* action;
        void (*act)(int i);
        int warmUp, times;
    };
    const Row rows[] = {
        {"repaints", Repaint, 10, 3000},
        {"drags and slider moves", DragAndMoveSliders, 10, 300},
        {"About boxes", OpenAndCloseAbout, 1, 60},
        {"sound-card dialogs", ChooseTheSecondDevice, 1, 100},
        {"window-layer dialogs", LayerDialog, 1, 100},
    };
    // The drags need a spectrum to read; the dialog lists three devices.
    OneBufferOfATone();
    for (const Row& row : rows) {
        for (int i = 0; i < row.warmUp; ++i)
            row.act(i);
        InvalidateRect(facts::MainDialog, nullptr, TRUE);
        UpdateWindow(facts::MainDialog);
        const Counts before = SettledObjectCounts();
        for (int i = 0; i < row.times; ++i)
            row.act(i);
        ExpectCountsAre(before, std::to_string(row.times) + " " + row.action);
    }
    EXPECT_EQ(capture::InputDevice, 1) << "the device chosen in the dialog is kept";
}

}  // namespace
