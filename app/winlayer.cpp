// The window layer: dialogs from in-memory templates, controls, menu items,
// bound handlers, per-control colours, the common dialog procedure with its
// routing, ending a dialog, and the modal loops.
#include "app/winlayer.h"

#include <map>
#include <vector>

namespace winlayer {

namespace {

// What the layer keeps for one window: its handler, its colours and, for a
// dialog, the icons it loaded for it.
struct Binding {
    Handler handler = nullptr;
    bool hasColours = false;
    COLORREF text = DefaultColour;
    COLORREF background = DefaultColour;
    HBRUSH brush = nullptr;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
};

std::map<HWND, Binding> Bindings;
std::map<HWND, INT_PTR> EndValues;
HWND Active = nullptr;

const char DialogFontFace[] = "MS Sans Serif";
constexpr WORD DialogFontPoints = 8;
constexpr WORD DialogFontWeight = 400;

void PushDword(std::vector<WORD>& words, DWORD value)
{
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
}

void PushString(std::vector<WORD>& words, const char* text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::vector<WCHAR> wide(length > 0 ? length : 1, 0);
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    words.insert(words.end(), wide.begin(), wide.end());
}

// A DLGTEMPLATEEX with no controls, no menu, the default dialog class and the
// dialog font; kept in WORDs so that it is suitably aligned.
std::vector<WORD> BuildTemplate(const char* title, DWORD style, DWORD exStyle,
                                int x, int y, int cx, int cy)
{
    std::vector<WORD> words;
    words.push_back(1);       // dlgVer
    words.push_back(0xFFFF);  // signature
    PushDword(words, 0);      // helpID
    PushDword(words, exStyle);
    PushDword(words, style);
    words.push_back(0);       // cDlgItems
    words.push_back(static_cast<WORD>(x));
    words.push_back(static_cast<WORD>(y));
    words.push_back(static_cast<WORD>(cx));
    words.push_back(static_cast<WORD>(cy));
    words.push_back(0);       // no menu
    words.push_back(0);       // default dialog class
    PushString(words, title);
    words.push_back(DialogFontPoints);
    words.push_back(DialogFontWeight);
    words.push_back(0);       // not italic, character set 0
    PushString(words, DialogFontFace);
    return words;
}

// Pixel placement: (x, y) is the window's top-left corner relative to the
// owner's (or parent's) client area, (cx, cy) the client size it must get.
void PlaceInPixels(HWND dialog, HWND owner, DWORD style, int x, int y, int cx, int cy)
{
    RECT frame, client;
    GetWindowRect(dialog, &frame);
    GetClientRect(dialog, &client);
    int width = cx + (frame.right - frame.left) - client.right;
    int height = cy + (frame.bottom - frame.top) - client.bottom;
    POINT corner = {x, y};
    if (!(style & WS_CHILD) && owner)
        ClientToScreen(owner, &corner);
    SetWindowPos(dialog, nullptr, corner.x, corner.y, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

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

void ReleaseBinding(Binding& binding)
{
    if (binding.brush)
        DeleteObject(binding.brush);
    if (binding.bigIcon)
        DestroyIcon(binding.bigIcon);
    if (binding.smallIcon)
        DestroyIcon(binding.smallIcon);
}

//--------------------------------------------------------------------------
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

//--------------------------------------------------------------------------
// WM_ACTIVATE: remember or forget the dialog the keyboard belongs to.
void RememberActivation(HWND dialog, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE)
        Active = dialog;
    else if (Active == dialog)
        Active = nullptr;
}

//--------------------------------------------------------------------------
// The handler of the control or menu item a message concerns.
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

//--------------------------------------------------------------------------
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

//--------------------------------------------------------------------------
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

//--------------------------------------------------------------------------
// The routing: the control's or menu item's handler, then the dialog's own,
// then the layer's default answer.
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

//--------------------------------------------------------------------------
// CreateDialogWindow
HWND CreateDialogWindow(HWND owner, const char* title, DWORD style, DWORD exStyle,
                        int x, int y, int cx, int cy, Units units)
{
    style |= DS_SETFONT;
    std::vector<WORD> words = units == Units::Dialog
                                  ? BuildTemplate(title, style, exStyle, x, y, cx, cy)
                                  : BuildTemplate(title, style, exStyle, 0, 0, 0, 0);
    HWND dialog = CreateDialogIndirectParamA(
        GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), owner,
        DialogProc, 0);
    if (!dialog)
        return nullptr;
    EndValues.erase(dialog);
    if (units == Units::Pixels)
        PlaceInPixels(dialog, owner, style, x, y, cx, cy);
    return dialog;
}

//--------------------------------------------------------------------------
// AddControl
HWND AddControl(HWND dialog, const char* className, const char* text, int id,
                int x, int y, int cx, int cy, DWORD style, DWORD exStyle, Units units)
{
    // Position and size are converted separately, as the system converts the
    // controls of a dialog template.
    RECT box = {x, y, cx, cy};
    if (units == Units::Dialog)
        MapDialogRect(dialog, &box);
    HWND control = CreateWindowExA(exStyle, className, text, style, box.left, box.top,
                                   box.right, box.bottom, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control)
        SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), TRUE);
    return control;
}

//--------------------------------------------------------------------------
// Bind
void Bind(HWND window, Handler handler)
{
    Bindings[window].handler = handler;
}

//--------------------------------------------------------------------------
// BoundHandler
Handler BoundHandler(HWND window)
{
    auto it = Bindings.find(window);
    return it == Bindings.end() ? nullptr : it->second.handler;
}

namespace {

// Menu entries are appended by position at the end, all with the same mask:
// a plain enabled string with its identifier, pop-up and handler.
void AppendMenuEntry(HMENU menu, const char* text, UINT id, HMENU popup, Handler handler)
{
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
    item.fType = MFT_STRING;
    item.fState = MFS_ENABLED | MFS_UNCHECKED;
    item.wID = id;
    item.hSubMenu = popup;
    item.dwItemData = reinterpret_cast<ULONG_PTR>(handler);
    item.dwTypeData = const_cast<char*>(text);
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &item);
}

}  // namespace

//--------------------------------------------------------------------------
// AddMenuItem
void AddMenuItem(HMENU popup, const char* text, UINT id, Handler handler)
{
    AppendMenuEntry(popup, text, id, nullptr, handler);
}

//--------------------------------------------------------------------------
// AddMenuPopup
void AddMenuPopup(HMENU bar, const char* text, HMENU popup)
{
    AppendMenuEntry(bar, text, 0, popup, nullptr);
}

//--------------------------------------------------------------------------
// SetColours
void SetColours(HWND window, COLORREF text, COLORREF background)
{
    Binding& binding = Bindings[window];
    if (binding.brush)
        DeleteObject(binding.brush);
    binding.brush = background == DefaultColour ? nullptr : CreateSolidBrush(background);
    binding.hasColours = true;
    binding.text = text;
    binding.background = background;
}

//--------------------------------------------------------------------------
// SetDialogIcon
void SetDialogIcon(HWND dialog, const char* name)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    Binding& binding = Bindings[dialog];
    if (HANDLE large = LoadImageA(instance, name, IMAGE_ICON, 32, 32, 0)) {
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
        if (binding.bigIcon)
            DestroyIcon(binding.bigIcon);
        binding.bigIcon = static_cast<HICON>(large);
    }
    if (HANDLE little = LoadImageA(instance, name, IMAGE_ICON, 16, 16, 0)) {
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
        if (binding.smallIcon)
            DestroyIcon(binding.smallIcon);
        binding.smallIcon = static_cast<HICON>(little);
    }
}

//--------------------------------------------------------------------------
// DialogProc
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

//--------------------------------------------------------------------------
// EndDialogWithValue
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

//--------------------------------------------------------------------------
// ShowDialog
void ShowDialog(HWND dialog, Handler handler)
{
    SendInitialMessages(dialog, handler);
    Bind(dialog, handler);
    ShowWindow(dialog, SW_SHOW);
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

//--------------------------------------------------------------------------
// BeginModal
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

//--------------------------------------------------------------------------
// ModalLoop
INT_PTR ModalLoop(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    MSG message;
    while (IsWindow(dialog)) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
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

//--------------------------------------------------------------------------
// RunModal
INT_PTR RunModal(HWND dialog, Handler handler)
{
    BeginModal(dialog, handler);
    return ModalLoop(dialog);
}

//--------------------------------------------------------------------------
// ActiveDialog
HWND ActiveDialog()
{
    return Active;
}

//--------------------------------------------------------------------------
// PumpOnce
bool PumpOnce()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        Sleep(1);
        return false;
    }
    if (Active && IsWindow(Active) && IsDialogMessageA(Active, &message))
        return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

}  // namespace winlayer
