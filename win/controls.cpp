// Child controls, menu items, per-control colours and dialog icons.
#include "win/controls.h"

#include "win/bindings.h"
#include "win/routing.h"
#include "win/template.h"

namespace winlayer {

using internal::Binding;
using internal::Bindings;

// Position and size are converted separately, as the system converts the
// controls of a dialog template.
HWND AddControl(HWND dialog, const char* className, const char* text, int id,
                int x, int y, int cx, int cy, DWORD style, DWORD exStyle, Units units)
{
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

struct RememberedItem {
    HWND dialog;
    int id;
    HWND control;
};
// Filled in turn; the oldest entry goes first once all are taken.
constexpr size_t ItemsRemembered = 16;
RememberedItem RememberedItems[ItemsRemembered] = {};
size_t NextRememberedItem = 0;

}  // namespace

HWND DialogItem(HWND dialog, int id)
{
    for (RememberedItem& item : RememberedItems)
        if (item.control && item.dialog == dialog && item.id == id) {
            // GetParent and GetDlgCtrlID read the window itself, with no
            // round trip; a destroyed control fails them.
            if (GetParent(item.control) == dialog && GetDlgCtrlID(item.control) == id)
                return item.control;
            item.control = nullptr;
        }
    HWND control = GetDlgItem(dialog, id);
    if (control) {
        RememberedItems[NextRememberedItem] = RememberedItem{dialog, id, control};
        NextRememberedItem = (NextRememberedItem + 1) % ItemsRemembered;
    }
    return control;
}

void AddMenuItem(HMENU popup, const char* text, UINT id, Handler handler)
{
    AppendMenuEntry(popup, text, id, nullptr, handler);
}

void AddMenuPopup(HMENU bar, const char* text, HMENU popup)
{
    AppendMenuEntry(bar, text, 0, popup, nullptr);
}

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

int FontHeight(int points, int pixelsPerInch)
{
    return -(pixelsPerInch * points) / 72;
}

HFONT CreatePointFont(const char* face, int points)
{
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA font = {};
    font.lfHeight = FontHeight(points, pixelsPerInch);
    font.lfWeight = FW_NORMAL;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

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

}  // namespace winlayer
