// The common dialog procedure and its routing: the handler of the control or
// menu item a message concerns, then the dialog's own, then the layer's
// default answer. Also the bindings and the dialog the keyboard belongs to.
#include "win/routing.h"

#include "win/bindings.h"
#include "win/controls.h"
#include "win/modal.h"

namespace winlayer {

using internal::Active;
using internal::Binding;
using internal::Bindings;

namespace {

void ReleaseBinding(Binding& binding)
{
    if (binding.brush)
        DeleteObject(binding.brush);
    if (binding.bigIcon)
        DestroyIcon(binding.bigIcon);
    if (binding.smallIcon)
        DestroyIcon(binding.smallIcon);
}

// A destroyed dialog takes its own and its controls' bindings with it.
void ForgetDialog(HWND dialog)
{
    for (auto it = Bindings.begin(); it != Bindings.end();) {
        if (it->first == dialog || IsChild(dialog, it->first)) {
            ReleaseBinding(it->second);
            it = Bindings.erase(it);
        } else {
            ++it;
        }
    }
    if (Active == dialog)
        Active = nullptr;
}

// WM_ACTIVATE: remember or forget the dialog the keyboard belongs to.
void RememberActivation(HWND dialog, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE)
        Active = dialog;
    else if (Active == dialog)
        Active = nullptr;
}

// A command whose identifier is a child's goes to the child's handler, any
// other to the handler in the menu item's data.
Handler HandlerForMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (GetDlgItem(dialog, id))
            return BoundHandler(reinterpret_cast<HWND>(lParam));
        HMENU menu = GetMenu(dialog);
        if (!menu)
            return nullptr;
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_DATA;
        if (!GetMenuItemInfoA(menu, id, FALSE, &item))
            return nullptr;
        return reinterpret_cast<Handler>(item.dwItemData);
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        return BoundHandler(reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return BoundHandler(reinterpret_cast<NMHDR*>(lParam)->hwndFrom);
    default:
        return nullptr;
    }
}

// WM_CTLCOLOR...: the window's own colours, or the default handling.
INT_PTR AnswerColours(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto it = Bindings.find(reinterpret_cast<HWND>(lParam));
    if (it == Bindings.end() || !it->second.hasColours)
        return FALSE;
    const Binding& binding = it->second;
    int systemBackground = COLOR_BTNFACE;
    if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX)
        systemBackground = COLOR_WINDOW;
    else if (message == WM_CTLCOLORSCROLLBAR)
        systemBackground = COLOR_SCROLLBAR;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, binding.text == DefaultColour ? GetSysColor(COLOR_WINDOWTEXT) : binding.text);
    SetBkColor(dc, binding.background == DefaultColour ? GetSysColor(systemBackground)
                                                       : binding.background);
    HBRUSH brush = binding.brush ? binding.brush : GetSysColorBrush(systemBackground);
    return reinterpret_cast<INT_PTR>(brush);
}

// What the layer does with a message that every handler left to it.
INT_PTR DefaultAnswer(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return AnswerColours(message, wParam, lParam);
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        EndDialogWithValue(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR Route(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Handler handler = HandlerForMessage(dialog, message, wParam, lParam)) {
        if (INT_PTR result = handler(dialog, message, wParam, lParam))
            return result;
    }
    if (Handler own = BoundHandler(dialog)) {
        if (INT_PTR result = own(dialog, message, wParam, lParam))
            return result;
    }
    return DefaultAnswer(dialog, message, wParam, lParam);
}

}  // namespace

void Bind(HWND window, Handler handler)
{
    Bindings[window].handler = handler;
}

Handler BoundHandler(HWND window)
{
    auto it = Bindings.find(window);
    return it == Bindings.end() ? nullptr : it->second.handler;
}

INT_PTR Answer(HWND dialog, LRESULT result)
{
    // A dialog procedure's own result only says whether it handled the
    // message; the sender is given DWLP_MSGRESULT.
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        // The handler gets its WM_INITDIALOG when the dialog is shown.
        return 0;
    case WM_ACTIVATE:
        RememberActivation(dialog, wParam);
        return 0;
    case WM_DESTROY: {
        INT_PTR result = Route(dialog, message, wParam, lParam);
        ForgetDialog(dialog);
        return result;
    }
    default:
        return Route(dialog, message, wParam, lParam);
    }
}

HWND ActiveDialog()
{
    return Active;
}

}  // namespace winlayer
