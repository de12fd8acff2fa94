// The About box: a modal dialog without a handler of its own, built anew at
// every command; its title font lives as long as the box.
#include "commands/about.h"

#include "facts/facts.h"
#include "version.h"
#include "win/template.h"
#include "win/controls.h"
#include "win/modal.h"

namespace commands {

HWND AboutBox = nullptr;
HFONT AboutTitleFont = nullptr;

namespace {

// Created hidden; shown, the box has 0x94C800D4 with WS_VISIBLE.
constexpr DWORD AboutStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
    DS_NOFAILCREATE | DS_3DLOOK;
static_assert((AboutStyle | WS_VISIBLE) == 0x94C800D4, "About box style");
constexpr DWORD AboutExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_TOPMOST;
static_assert(AboutExStyle == 0x10108, "About box extended style");
constexpr DWORD LabelStyle = WS_CHILD | WS_VISIBLE | SS_CENTER;
static_assert(LabelStyle == 0x50000001, "About label style");

const COLORREF AboutBackground = 0x00DCDC9F;  // red 159, green 220, blue 220

const char AboutCaption[] = "KESTRO spectrum analyser";
const char TitleText[] = "FFT spectrum analyser";
const char CreditsText[] =
    "Written by its author, call sign KESTRO\r\n"
    "(with some help from others)\r\n"
    "Version " SPECTRUM_VERSION_SHORT " Build 20.03.11\r\n"
    "Built with MinGW-w64 GCC and CMake\r\n"
    "This version:March 2011\r\n"
    "Copyleft 2011: free to use, copy, share and change";

void AddLabel(HWND dialog, int id, const char* text, int y, int height)
{
    HWND label = winlayer::AddControl(dialog, "STATIC", text, id, 5, y, 165, height, LabelStyle, 0);
    winlayer::SetColours(label, winlayer::DefaultColour, AboutBackground);
}

}  // namespace

INT_PTR ShowAbout(HWND, UINT, WPARAM, LPARAM)
{
    AboutBox = winlayer::CreateDialogWindow(facts::MainDialog, AboutCaption, AboutStyle,
                                            AboutExStyle, 100, 50, 190, 72);
    if (!AboutBox)
        return 0;
    winlayer::SetDialogIcon(AboutBox, facts::IconName);
    winlayer::SetColours(AboutBox, winlayer::DefaultColour, AboutBackground);
    AddLabel(AboutBox, IdAboutTitle, TitleText, 5, 15);
    AddLabel(AboutBox, IdAboutCredits, CreditsText, 20, 90);
    AboutTitleFont = winlayer::CreatePointFont("Arial", 14);
    SendDlgItemMessageA(AboutBox, IdAboutTitle, WM_SETFONT,
                        reinterpret_cast<WPARAM>(AboutTitleFont), FALSE);
    winlayer::RunModal(AboutBox, nullptr);
    AboutBox = nullptr;
    DeleteObject(AboutTitleFont);
    AboutTitleFont = nullptr;
    return 0;
}

}  // namespace commands
