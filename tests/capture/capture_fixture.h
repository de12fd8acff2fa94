// The fixture of the capture tests: a real main window, built and shown as
// the program does, with the scripted device in place of the sound card.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "tests/support/scripted_device.h"

class CaptureTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

public:

    static HWND StartStopButton();
    static std::string StartStopCaption();
    // A user's click on the button, handled before this returns: a click on
    // "&Start" returns only when capture has stopped again.
    static void ClickStartStop();
    // The same click, queued, so that the capture loop's pump handles it.
    static void PostStartStopClick();
    // Sets the three rate buttons' check states (1 checked, 0 not).
    static void CheckRates(int rate11025, int rate22050, int rate44100);
    // The off-screen picture's pixels, row by row.
    static std::vector<COLORREF> BitmapPixels();

    // Chooses "SelectSoundcard" from the menu; `whileOpen` runs from a timer
    // once the dialog shows and must close it. Sent, so it returns when the
    // dialog has closed; the queued form lets capture's pump handle it.
    static void OpenSoundcardDialog(void (*whileOpen)());
    static void OpenSoundcardDialogFromQueue(void (*whileOpen)());
    // The open dialog's device list, its entries, and a press on its OK.
    static HWND DeviceList();
    static std::vector<std::string> ListedNames();
    static void PressOk();

    // One buffer of the 0 dB tone on bin 24 (a sine of peak 16465); the
    // second queued buffer presses Stop.
    static scripted::Script OneToneBuffer();
    // The window as the user finds it when nothing runs.
    static void ExpectIdle(const std::string& after);
    // With a sound card that works again, the next Start records: a 0 dB tone
    // on bin 24 reaches Spectrum, and Stop closes the device.
    static void ExpectNextStartWorks(const std::string& after);
    static const char DidNotOpen[];  // Start's warning for a device that does not open
};
