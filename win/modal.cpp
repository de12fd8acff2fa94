// Showing and ending dialogs, and the one message pump that the modal loops
// and the capture loop share.
#include "win/modal.h"

#include "win/bindings.h"
#include "win/routing.h"

namespace winlayer {

using internal::EndValues;

namespace {

// The owner of a top-level dialog, or the parent of a child dialog.
HWND OwnerOrParent(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (!owner && (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD))
        owner = GetParent(dialog);
    return owner;
}

void SendInitialMessages(HWND dialog, Handler handler)
{
    if (!handler)
        return;
    handler(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog), 0);
    RECT client;
    GetClientRect(dialog, &client);
    handler(dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// One pass of the pump: at most one message, else a sleep of 1 ms. Keyboard
// messages go through IsDialogMessage of `keyboard`, or of ActiveDialog()
// when `keyboard` is 0; that one is read after the peek, which may have
// delivered an activation.
bool PumpMessage(HWND keyboard)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        Sleep(1);
        return false;
    }
    HWND dialog = keyboard ? keyboard : internal::Active;
    if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &message))
        return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

}  // namespace

void EndDialogWithValue(HWND dialog, INT_PTR value)
{
    // Taken first: the handler may destroy the dialog while it closes.
    HWND owner = OwnerOrParent(dialog);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    if (owner)
        EnableWindow(owner, TRUE);
    EndValues[dialog] = value;
    if (IsWindow(dialog))
        DestroyWindow(dialog);
}

void ShowDialog(HWND dialog, Handler handler)
{
    SendInitialMessages(dialog, handler);
    Bind(dialog, handler);
    ShowWindow(dialog, SW_SHOW);
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void BeginModal(HWND dialog, Handler handler)
{
    SendInitialMessages(dialog, handler);
    Bind(dialog, handler);
    if (HWND owner = GetWindow(dialog, GW_OWNER)) {
        SendMessageA(owner, WM_CANCELMODE, 0, 0);
        EnableWindow(owner, FALSE);
    }
    ShowWindow(dialog, SW_SHOW);
}

INT_PTR ModalLoop(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    while (IsWindow(dialog))
        PumpMessage(dialog);
    if (owner) {
        EnableWindow(owner, TRUE);
        SetFocus(owner);
    }
    INT_PTR value = 0;
    auto it = EndValues.find(dialog);
    if (it != EndValues.end()) {
        value = it->second;
        EndValues.erase(it);
    }
    return value;
}

INT_PTR RunModal(HWND dialog, Handler handler)
{
    BeginModal(dialog, handler);
    return ModalLoop(dialog);
}

bool PumpOnce()
{
    return PumpMessage(nullptr);
}

void Warn(const char* text)
{
    MessageBoxA(nullptr, text, "Warning", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace winlayer
