// The bare program the analyser is measured beside (tools/measure.sh): a
// hidden-nothing dialog from an in-memory template that runs the analyser's
// one-buffer polling protocol and draws nothing.
//   bare_poller idle           the modal loop only: PeekMessageA, else Sleep(1)
//   bare_poller capture DEVICE the same loop around one 4096-byte buffer at
//                              44100 Hz: prepare, add, poll WHDR_DONE after
//                              every pass, unprepare, again
// It ends when its window is closed.
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <cstring>

namespace {

HWND Dialog = nullptr;

INT_PTR CALLBACK BareDialogProc(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        Dialog = nullptr;
        return TRUE;
    }
    return FALSE;
}

// A 200 x 100 dialog unit window titled "Bare Poller", no controls.
HWND CreateBareDialog()
{
    struct Template {
        DLGTEMPLATE header;
        WORD menu, windowClass;
        WCHAR title[12];
    } dialog = {};
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
    dialog.header.cx = 200;
    dialog.header.cy = 100;
    const wchar_t* title = L"Bare Poller";
    std::memcpy(dialog.title, title, sizeof dialog.title);
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, nullptr,
                                      BareDialogProc, 0);
}

// One pass of the loop: at most one message, else a 1 ms sleep.
void PumpOnce()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        Sleep(1);
        return;
    }
    if (!IsDialogMessageA(Dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Capture(UINT device)
{
    static short buffer[2048];
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    HWAVEIN wave = 0;
    waveInOpen(&wave, device, &format, 0, 0, CALLBACK_NULL);
    if (!wave)
        return;
    waveInStart(wave);
    WAVEHDR header = {};
    while (Dialog) {
        header.lpData = reinterpret_cast<LPSTR>(buffer);
        header.dwBufferLength = sizeof buffer;
        header.dwFlags = 0;
        waveInPrepareHeader(wave, &header, sizeof header);
        waveInAddBuffer(wave, &header, sizeof header);
        do
            PumpOnce();
        while (Dialog && !(header.dwFlags & WHDR_DONE));
        waveInUnprepareHeader(wave, &header, sizeof header);
    }
    waveInReset(wave);
    waveInClose(wave);
}

}  // namespace

int main(int argc, char** argv)
{
    Dialog = CreateBareDialog();
    ShowWindow(Dialog, SW_SHOW);
    if (argc > 2 && std::strcmp(argv[1], "capture") == 0)
        Capture(static_cast<UINT>(std::atoi(argv[2])));
    while (Dialog)
        PumpOnce();
    return 0;
}
