// The window layer against real dialogs: routing order, ending, colours,
// placement, the modal loop and the pump, and that repeated dialogs leak no
// GDI or USER objects.
#include "win/template.h"
#include "win/controls.h"
#include "win/routing.h"
#include "win/modal.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/win32_test_support.h"

namespace {

using winlayer::DialogProc;

// What the handlers saw, as "who:message" entries.
std::vector<std::string> Calls;
INT_PTR ButtonResult = 0;
INT_PTR MenuResult = 0;
INT_PTR DialogResult = 0;

constexpr int IdButton = 100;
constexpr int IdLabel = 101;
constexpr int IdSlider = 102;
constexpr UINT IdMenuItem = 500;
constexpr UINT WM_ENDWITH = WM_APP + 1;

std::string Entry(const char* who, UINT message)
{
    return std::string(who) + ":" + std::to_string(message);
}

INT_PTR ButtonHandler(HWND, UINT message, WPARAM, LPARAM)
{
    Calls.push_back(Entry("button", message));
    return ButtonResult;
}

INT_PTR SliderHandler(HWND, UINT message, WPARAM, LPARAM)
{
    Calls.push_back(Entry("slider", message));
    return 0;
}

INT_PTR MenuHandler(HWND, UINT message, WPARAM, LPARAM)
{
    Calls.push_back(Entry("menu", message));
    return MenuResult;
}

INT_PTR ShadowedMenuHandler(HWND, UINT message, WPARAM, LPARAM)
{
    Calls.push_back(Entry("shadowed", message));
    return 0;
}

INT_PTR DialogHandler(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    Calls.push_back(Entry("dialog", message));
    if (message == WM_INITDIALOG)
        Calls.push_back("init-wparam-is-dialog:" + std::to_string(wParam == reinterpret_cast<WPARAM>(dialog) && lParam == 0));
    if (message == WM_SIZE) {
        RECT client;
        GetClientRect(dialog, &client);
        Calls.push_back("size-matches:" + std::to_string(wParam == SIZE_RESTORED &&
                                                         lParam == MAKELPARAM(client.right, client.bottom)));
    }
    if (message == WM_ENDWITH)
        winlayer::EndDialogWithValue(dialog, static_cast<INT_PTR>(wParam));
    return DialogResult;
}

class WinLayer : public testing::Test {
protected:
    void SetUp() override
    {
        Calls.clear();
        ButtonResult = MenuResult = DialogResult = 0;
        dialog = winlayer::CreateDialogWindow(nullptr, "Layer test",
                                              WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 10, 10, 200, 100);
        ASSERT_TRUE(dialog);
        button = winlayer::AddControl(dialog, "BUTTON", "Press", IdButton, 5, 5, 50, 14,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0);
        label = winlayer::AddControl(dialog, "STATIC", "Label", IdLabel, 5, 25, 50, 10,
                                     WS_CHILD | WS_VISIBLE, 0);
        slider = winlayer::AddControl(dialog, TRACKBAR_CLASSA, "", IdSlider, 80, 5, 15, 80,
                                      WS_CHILD | WS_VISIBLE | TBS_VERT, 0);
        winlayer::Bind(button, ButtonHandler);
        winlayer::Bind(slider, SliderHandler);
        HMENU bar = CreateMenu();
        HMENU popup = CreatePopupMenu();
        winlayer::AddMenuItem(popup, "Item", IdMenuItem, MenuHandler);
        winlayer::AddMenuItem(popup, "Same id as the button", IdButton, ShadowedMenuHandler);
        winlayer::AddMenuPopup(bar, "Menu", popup);
        SetMenu(dialog, bar);
        winlayer::Bind(dialog, DialogHandler);
    }

    void TearDown() override
    {
        if (IsWindow(dialog)) {
            HMENU bar = GetMenu(dialog);
            DestroyWindow(dialog);
            DestroyMenu(bar);
        }
    }

    HWND dialog = nullptr;
    HWND button = nullptr;
    HWND label = nullptr;
    HWND slider = nullptr;
};

// ---------------------------------------------------------------- routing

TEST_F(WinLayer, ControlCommandGoesToItsHandlerThenToTheDialog)
{
    INT_PTR result = DialogProc(dialog, WM_COMMAND, MAKEWPARAM(IdButton, BN_CLICKED),
                                reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("button", WM_COMMAND), Entry("dialog", WM_COMMAND)}));
}

TEST_F(WinLayer, NonZeroControlResultEndsTheRoutingWithIt)
{
    ButtonResult = 7;
    INT_PTR result = DialogProc(dialog, WM_COMMAND, MAKEWPARAM(IdButton, BN_CLICKED),
                                reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(result, 7);
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("button", WM_COMMAND)}));
}

TEST_F(WinLayer, CommandFromControlWithoutHandlerGoesToTheDialogOnly)
{
    DialogProc(dialog, WM_COMMAND, MAKEWPARAM(IdLabel, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("dialog", WM_COMMAND)}));
}

TEST_F(WinLayer, MenuCommandCallsTheItemDataThenTheDialog)
{
    DialogProc(dialog, WM_COMMAND, MAKEWPARAM(IdMenuItem, 0), 0);
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("menu", WM_COMMAND), Entry("dialog", WM_COMMAND)}));

    Calls.clear();
    MenuResult = 33;
    EXPECT_EQ(DialogProc(dialog, WM_COMMAND, MAKEWPARAM(IdMenuItem, 0), 0), 33);
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("menu", WM_COMMAND)}));
}

TEST_F(WinLayer, ChildIdentifierIsLookedForBeforeTheMenu)
{
    // A menu command whose identifier a child control also has never reaches
    // the menu item: the control is found first, and it did not send it.
    DialogProc(dialog, WM_COMMAND, MAKEWPARAM(IdButton, 0), 0);
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("dialog", WM_COMMAND)}));
}

TEST_F(WinLayer, UnknownCommandGoesToTheDialogOnly)
{
    DialogProc(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("dialog", WM_COMMAND)}));
}

TEST_F(WinLayer, ScrollAndNotifyGoToTheControlThatSentThem)
{
    NMHDR header = {slider, IdSlider, NM_CUSTOMDRAW};
    struct Case { UINT message; LPARAM lParam; };
    const Case cases[] = {
        {WM_VSCROLL, reinterpret_cast<LPARAM>(slider)},
        {WM_HSCROLL, reinterpret_cast<LPARAM>(slider)},
        {WM_NOTIFY, reinterpret_cast<LPARAM>(&header)},
    };
    for (const Case& c : cases) {
        Calls.clear();
        DialogProc(dialog, c.message, c.message == WM_NOTIFY ? IdSlider : TB_LINEDOWN, c.lParam);
        EXPECT_EQ(Calls, (std::vector<std::string>{Entry("slider", c.message), Entry("dialog", c.message)}))
            << "message " << c.message;
    }
}

TEST_F(WinLayer, OtherMessagesGoToTheDialogAndItsResultIsReturned)
{
    EXPECT_EQ(DialogProc(dialog, WM_APP + 7, 0, 0), FALSE);
    DialogResult = 5;
    EXPECT_EQ(DialogProc(dialog, WM_APP + 7, 0, 0), 5);
    EXPECT_EQ(Calls, (std::vector<std::string>{Entry("dialog", WM_APP + 7), Entry("dialog", WM_APP + 7)}));
}

TEST_F(WinLayer, SystemInitDialogIsAnsweredWithZeroAndNotPassedOn)
{
    EXPECT_EQ(DialogProc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(button), 0), 0);
    EXPECT_TRUE(Calls.empty());
}

TEST_F(WinLayer, ActivationIsRememberedAndForgottenWithoutHandlers)
{
    EXPECT_EQ(DialogProc(dialog, WM_ACTIVATE, WA_ACTIVE, 0), 0);
    EXPECT_EQ(winlayer::ActiveDialog(), dialog);
    DialogProc(dialog, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(winlayer::ActiveDialog(), nullptr);
    DialogProc(dialog, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(winlayer::ActiveDialog(), dialog);
    EXPECT_TRUE(Calls.empty());
    DestroyWindow(dialog);
    EXPECT_EQ(winlayer::ActiveDialog(), nullptr);
}

// ----------------------------------------------------------------- ending

TEST_F(WinLayer, CloseBoxEndsTheDialogAfterRoutingWmClose)
{
    HWND owner = winlayer::CreateDialogWindow(nullptr, "Owner", WS_POPUP, 0, 0, 0, 50, 50);
    HWND owned = winlayer::CreateDialogWindow(owner, "Owned", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                              0, 0, 0, 50, 50);
    winlayer::Bind(owned, DialogHandler);
    EnableWindow(owner, FALSE);

    EXPECT_EQ(DialogProc(owned, WM_SYSCOMMAND, SC_CLOSE | 2, 0), TRUE);
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_TRUE(IsWindowEnabled(owner));
    ASSERT_GE(Calls.size(), 2u);
    EXPECT_EQ(Calls[0], Entry("dialog", WM_SYSCOMMAND));
    EXPECT_EQ(Calls[1], Entry("dialog", WM_CLOSE));
    DestroyWindow(owner);
}

TEST_F(WinLayer, OtherSystemCommandsAreLeftToTheSystem)
{
    EXPECT_EQ(DialogProc(dialog, WM_SYSCOMMAND, SC_KEYMENU, 0), FALSE);
    EXPECT_TRUE(IsWindow(dialog));
}

INT_PTR DestroyOnClose(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE)
        DestroyWindow(dialog);
    return 0;
}

TEST_F(WinLayer, EndingADialogItsHandlerDestroyedKeepsTheValue)
{
    HWND owner = winlayer::CreateDialogWindow(nullptr, "Owner", WS_POPUP, 0, 0, 0, 50, 50);
    HWND owned = winlayer::CreateDialogWindow(owner, "Owned", WS_POPUP, 0, 0, 0, 50, 50);
    winlayer::Bind(owned, DestroyOnClose);
    EnableWindow(owner, FALSE);
    winlayer::EndDialogWithValue(owned, 12);
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(winlayer::ModalLoop(owned), 12);
    DestroyWindow(owner);
}

TEST_F(WinLayer, ModalRunWithOwnerDisablesAndRestoresIt)
{
    HWND owned = winlayer::CreateDialogWindow(dialog, "Owned", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                              0, 20, 20, 80, 40);
    HWND inner = winlayer::AddControl(owned, "BUTTON", "Inner", 1, 5, 5, 40, 14,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0);
    ASSERT_TRUE(inner);
    winlayer::BeginModal(owned, DialogHandler);

    // The owner has the same recording handler; it receives WM_CANCELMODE
    // after the owned dialog's initialisation.
    ASSERT_GE(Calls.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(Calls.begin(), Calls.begin() + 5),
              (std::vector<std::string>{Entry("dialog", WM_INITDIALOG), "init-wparam-is-dialog:1",
                                        Entry("dialog", WM_SIZE), "size-matches:1",
                                        Entry("dialog", WM_CANCELMODE)}));
    EXPECT_FALSE(IsWindowEnabled(dialog));
    EXPECT_TRUE(IsWindowVisible(owned));

    PostMessageA(owned, WM_ENDWITH, 42, 0);
    EXPECT_EQ(winlayer::ModalLoop(owned), 42);
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_TRUE(IsWindowEnabled(dialog));
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == dialog || IsChild(dialog, focus)) << "the owner did not get the focus back";
}

TEST_F(WinLayer, ModalLoopGivesKeyboardToTheDialog)
{
    HWND modal = winlayer::CreateDialogWindow(nullptr, "Modal", WS_POPUP | WS_CAPTION, 0, 0, 0, 80, 40);
    HWND inner = winlayer::AddControl(modal, "BUTTON", "Inner", 77, 5, 5, 40, 14,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0);
    winlayer::BeginModal(modal, DialogHandler);
    SetFocus(inner);
    Calls.clear();
    // Esc becomes IDCANCEL only through IsDialogMessage; then end the loop.
    PostMessageA(inner, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(modal, WM_ENDWITH, 3, 0);
    EXPECT_EQ(winlayer::ModalLoop(modal), 3);
    EXPECT_NE(std::find(Calls.begin(), Calls.end(), Entry("dialog", WM_COMMAND)), Calls.end());
}

// The modal loop and PumpOnce are one pump with two keyboard targets: the
// loop's own dialog, whichever dialog was activated last.
TEST_F(WinLayer, ModalLoopGivesKeyboardToItsDialogEvenWhenAnotherIsActive)
{
    HWND modal = winlayer::CreateDialogWindow(nullptr, "Modal", WS_POPUP | WS_CAPTION, 0, 0, 0, 80, 40);
    HWND inner = winlayer::AddControl(modal, "BUTTON", "Inner", 77, 5, 5, 40, 14,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0);
    winlayer::BeginModal(modal, DialogHandler);
    SetFocus(inner);
    DialogProc(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_EQ(winlayer::ActiveDialog(), dialog);
    Calls.clear();
    PostMessageA(inner, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(modal, WM_ENDWITH, 4, 0);
    EXPECT_EQ(winlayer::ModalLoop(modal), 4);
    EXPECT_NE(std::find(Calls.begin(), Calls.end(), Entry("dialog", WM_COMMAND)), Calls.end())
        << "the Esc did not go through the modal dialog";
}

// ---------------------------------------------------------- show and pump

TEST_F(WinLayer, ShowDialogInitialisesBindsShowsAndPaints)
{
    HWND shown = winlayer::CreateDialogWindow(dialog, "", WS_CHILD | DS_CONTROL, WS_EX_CONTROLPARENT,
                                              100, 10, 60, 40);
    EXPECT_FALSE(GetWindowLongA(shown, GWL_STYLE) & WS_VISIBLE);
    Calls.clear();
    winlayer::ShowDialog(shown, DialogHandler);
    ASSERT_GE(Calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(Calls.begin(), Calls.begin() + 4),
              (std::vector<std::string>{Entry("dialog", WM_INITDIALOG), "init-wparam-is-dialog:1",
                                        Entry("dialog", WM_SIZE), "size-matches:1"}));
    EXPECT_EQ(winlayer::BoundHandler(shown), DialogHandler);
    EXPECT_TRUE(GetWindowLongA(shown, GWL_STYLE) & WS_VISIBLE);
    // Redrawn at once: no paint is left pending for it.
    RECT update;
    EXPECT_FALSE(GetUpdateRect(shown, &update, FALSE));
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, shown, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

bool PumpAfterEscape(HWND control)
{
    PostMessageA(control, WM_KEYDOWN, VK_ESCAPE, 0);
    return winlayer::PumpOnce();
}

TEST_F(WinLayer, PumpOnceHandlesOneMessageWithKeysToTheActiveDialog)
{
    testsupport::PumpMessages(20);
    DWORD start = GetTickCount();
    EXPECT_FALSE(winlayer::PumpOnce());
    EXPECT_LT(GetTickCount() - start, 500u);

    DialogProc(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    Calls.clear();
    EXPECT_TRUE(PumpAfterEscape(button));
    EXPECT_NE(std::find(Calls.begin(), Calls.end(), Entry("dialog", WM_COMMAND)), Calls.end());

    // With no active dialog the key is only dispatched to the button.
    DialogProc(dialog, WM_ACTIVATE, WA_INACTIVE, 0);
    Calls.clear();
    EXPECT_TRUE(PumpAfterEscape(button));
    EXPECT_EQ(std::find(Calls.begin(), Calls.end(), Entry("dialog", WM_COMMAND)), Calls.end());
}

// ---------------------------------------------------------------- colours

COLORREF BrushColour(HBRUSH brush)
{
    LOGBRUSH description = {};
    GetObjectA(brush, sizeof description, &description);
    return description.lbColor;
}

TEST_F(WinLayer, ControlColoursAreAnsweredWithTheKeptBrush)
{
    winlayer::SetColours(label, RGB(1, 2, 3), RGB(4, 5, 6));
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        DialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    ASSERT_TRUE(brush);
    EXPECT_EQ(BrushColour(brush), RGB(4, 5, 6));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6));
    EXPECT_EQ(DialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)),
              reinterpret_cast<INT_PTR>(brush));

    winlayer::SetColours(label, RGB(1, 2, 3), RGB(7, 8, 9));
    EXPECT_EQ(GetObjectType(brush), 0u) << "the replaced brush is deleted";
    HBRUSH replaced = reinterpret_cast<HBRUSH>(
        DialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    EXPECT_EQ(BrushColour(replaced), RGB(7, 8, 9));
    DeleteDC(dc);
}

TEST_F(WinLayer, DefaultColoursAreTheSystemColoursOfTheKindOfWindow)
{
    struct Case { UINT message; int background; };
    const Case cases[] = {
        {WM_CTLCOLORMSGBOX, COLOR_BTNFACE}, {WM_CTLCOLOREDIT, COLOR_WINDOW},
        {WM_CTLCOLORLISTBOX, COLOR_WINDOW}, {WM_CTLCOLORBTN, COLOR_BTNFACE},
        {WM_CTLCOLORDLG, COLOR_BTNFACE},    {WM_CTLCOLORSCROLLBAR, COLOR_SCROLLBAR},
        {WM_CTLCOLORSTATIC, COLOR_BTNFACE},
    };
    winlayer::SetColours(label, winlayer::DefaultColour, winlayer::DefaultColour);
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Case& c : cases) {
        SetTextColor(dc, RGB(9, 9, 9));
        SetBkColor(dc, RGB(9, 9, 9));
        INT_PTR brush = DialogProc(dialog, c.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(brush, reinterpret_cast<INT_PTR>(GetSysColorBrush(c.background))) << c.message;
        EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT)) << c.message;
        EXPECT_EQ(GetBkColor(dc), GetSysColor(c.background)) << c.message;
    }
    DeleteDC(dc);
}

TEST_F(WinLayer, DialogColoursAndWindowsWithoutColours)
{
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(DialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)), 0);

    winlayer::SetColours(dialog, winlayer::DefaultColour, RGB(224, 255, 255));
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        DialogProc(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog)));
    EXPECT_EQ(BrushColour(brush), RGB(224, 255, 255));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));

    // A handler's own answer comes first.
    DialogResult = 99;
    EXPECT_EQ(DialogProc(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog)), 99);
    DeleteDC(dc);
}

// -------------------------------------------------------------- placement

TEST_F(WinLayer, DialogFontAndDialogUnits)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA description = {};
    ASSERT_TRUE(GetObjectA(font, sizeof description, &description));
    EXPECT_STREQ(description.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(description.lfWeight, 400);
    EXPECT_EQ(description.lfItalic, 0);
    EXPECT_EQ(SendMessageA(button, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));

    // "MS Sans Serif" 8 pt at 96 dpi: 6 x 13 pixels per 4 x 8 dialog units.
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);

    // The menu bar set after creation comes out of the client area.
    RECT client;
    GetClientRect(dialog, &client);
    MENUBARINFO bar = {};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetMenuBarInfo(dialog, OBJID_MENU, 0, &bar));
    EXPECT_EQ(client.right, MulDiv(200, 6, 4));
    EXPECT_GE(client.bottom, MulDiv(100, 13, 8) - (bar.rcBar.bottom - bar.rcBar.top) - 1);
    EXPECT_LE(client.bottom, MulDiv(100, 13, 8) - (bar.rcBar.bottom - bar.rcBar.top));

    RECT box;
    GetWindowRect(slider, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, MulDiv(80, 6, 4));
    EXPECT_EQ(box.top, MulDiv(5, 13, 8));
    EXPECT_EQ(box.right - box.left, MulDiv(15, 6, 4));
    EXPECT_EQ(box.bottom - box.top, MulDiv(80, 13, 8));
}

TEST_F(WinLayer, PixelPlacementGivesTheExactClientArea)
{
    RECT ownerClient;
    GetClientRect(dialog, &ownerClient);
    POINT origin = {100, 100};
    ClientToScreen(dialog, &origin);
    HWND tool = winlayer::CreateDialogWindow(dialog, "Tool", WS_SYSMENU, WS_EX_TOOLWINDOW, 100, 100,
                                             237, 60, winlayer::Units::Pixels);
    ASSERT_TRUE(tool);
    RECT client, frame;
    GetClientRect(tool, &client);
    GetWindowRect(tool, &frame);
    EXPECT_EQ(client.right, 237);
    EXPECT_EQ(client.bottom, 60);
    EXPECT_EQ(frame.left, origin.x);
    EXPECT_EQ(frame.top, origin.y);
    EXPECT_TRUE(GetWindowLongA(tool, GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(GetWindow(tool, GW_OWNER), dialog);

    HWND ok = winlayer::AddControl(tool, "BUTTON", "OK", 4321, 10, 26, 70, 23,
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, winlayer::Units::Pixels);
    RECT box;
    GetWindowRect(ok, &box);
    MapWindowPoints(nullptr, tool, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 26);
    EXPECT_EQ(box.right, 80);
    EXPECT_EQ(box.bottom, 49);
    DestroyWindow(tool);
}

TEST_F(WinLayer, MenuItemsCarryTypeStateIdentifierAndHandler)
{
    HMENU popup = GetSubMenu(GetMenu(dialog), 0);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(popup, 0, TRUE, &item));
    EXPECT_EQ(item.fType, static_cast<UINT>(MFT_STRING));
    EXPECT_EQ(item.fState, 0u);
    EXPECT_EQ(item.wID, IdMenuItem);
    EXPECT_EQ(item.hSubMenu, nullptr);
    EXPECT_EQ(item.dwItemData, reinterpret_cast<ULONG_PTR>(MenuHandler));

    ASSERT_TRUE(GetMenuItemInfoA(GetMenu(dialog), 0, TRUE, &item));
    EXPECT_EQ(item.wID, 0u);
    EXPECT_EQ(item.hSubMenu, popup);
    EXPECT_EQ(item.dwItemData, 0u);
}

// ------------------------------------------------------------------ leaks

TEST_F(WinLayer, DialogItemFindsWhatGetDlgItemFindsAfterControlsComeAndGo)
{
    EXPECT_EQ(winlayer::DialogItem(dialog, IdButton), button);
    EXPECT_EQ(winlayer::DialogItem(dialog, IdLabel), label);
    EXPECT_EQ(winlayer::DialogItem(dialog, IdButton), button);
    EXPECT_EQ(winlayer::DialogItem(dialog, 4711), nullptr);

    // A destroyed control is not handed out; its successor under the same
    // identifier is.
    DestroyWindow(label);
    EXPECT_EQ(winlayer::DialogItem(dialog, IdLabel), nullptr);
    HWND successor = winlayer::AddControl(dialog, "STATIC", "Again", IdLabel, 5, 25, 50, 10,
                                          WS_CHILD | WS_VISIBLE, 0);
    EXPECT_EQ(winlayer::DialogItem(dialog, IdLabel), successor);

    // Another dialog with the same identifiers has its own controls, and more
    // controls than the layer remembers are all still found.
    HWND other = winlayer::CreateDialogWindow(nullptr, "Other", WS_POPUP, 0, 0, 0, 100, 100);
    std::vector<HWND> controls;
    for (int id = 1; id <= 40; ++id)
        controls.push_back(winlayer::AddControl(other, "STATIC", "", id, 0, 0, 5, 5,
                                                WS_CHILD, 0));
    for (int round = 0; round < 2; ++round)
        for (int id = 1; id <= 40; ++id)
            ASSERT_EQ(winlayer::DialogItem(other, id), controls[id - 1]) << id;
    EXPECT_EQ(winlayer::DialogItem(dialog, IdButton), button);
    DestroyWindow(other);
    EXPECT_EQ(winlayer::DialogItem(other, 1), nullptr);
}

TEST(WinLayerIcons, DialogIconIsLoadedAtBothSizes)
{
    HWND made = winlayer::CreateDialogWindow(nullptr, "Icon", WS_POPUP | WS_CAPTION, 0, 0, 0, 50, 50);
    winlayer::SetDialogIcon(made, "icon1");
    struct Case { WPARAM kind; LONG size; };
    for (const Case& c : {Case{ICON_BIG, 32}, Case{ICON_SMALL, 16}}) {
        HICON icon = reinterpret_cast<HICON>(SendMessageA(made, WM_GETICON, c.kind, 0));
        ASSERT_TRUE(icon) << c.kind;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, c.size);
        EXPECT_EQ(bitmap.bmHeight, c.size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    winlayer::SetDialogIcon(made, "no such icon");
    EXPECT_TRUE(SendMessageA(made, WM_GETICON, ICON_BIG, 0)) << "a failed load keeps the icon";
    DestroyWindow(made);
}

TEST(WinLayerFonts, PointSizesTruncateTowardZero)
{
    struct Case { int points, pixelsPerInch, height; };
    for (const Case& c : {Case{7, 96, -9}, Case{7, 120, -11}, Case{7, 144, -14}, Case{14, 96, -18}})
        EXPECT_EQ(winlayer::FontHeight(c.points, c.pixelsPerInch), c.height) << c.pixelsPerInch;
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HFONT font = winlayer::CreatePointFont("Arial", 7);
    LOGFONTA asked = {};
    ASSERT_EQ(GetObjectA(font, sizeof asked, &asked), int(sizeof asked));
    EXPECT_EQ(asked.lfHeight, winlayer::FontHeight(7, pixelsPerInch));
    EXPECT_EQ(asked.lfWeight, FW_NORMAL);
    EXPECT_STREQ(asked.lfFaceName, "Arial");
    DeleteObject(font);
}

}  // namespace
