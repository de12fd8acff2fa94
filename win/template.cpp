// Dialogs from an in-memory template, placed in dialog units or in pixels.
#include "win/template.h"

#include <vector>

#include "win/bindings.h"
#include "win/routing.h"

namespace winlayer {

namespace {

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

}  // namespace

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
    internal::EndValues.erase(dialog);
    if (units == Units::Pixels)
        PlaceInPixels(dialog, owner, style, x, y, cx, cy);
    return dialog;
}

}  // namespace winlayer
