// The shared window-test helpers measured against objects whose number is
// known: a count that did not move here would hide every leak elsewhere.
#include "tests/support/win32_test_support.h"

#include <gtest/gtest.h>

namespace {

using testsupport::CountGdiObjects;
using testsupport::CountUserObjects;

TEST(GdiCount, FollowsCreationAndDeletionOfEachKind)
{
    HDC screen = GetDC(nullptr);
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);

    HGDIOBJ objects[21];
    for (int i = 0; i < 7; ++i) {
        objects[i] = CreatePen(PS_SOLID, 1, RGB(i, 0, 0));
        objects[7 + i] = CreateSolidBrush(RGB(0, i, 0));
        objects[14 + i] = CreateCompatibleBitmap(screen, 8 + i, 8);
    }
    EXPECT_EQ(CountGdiObjects(), before + 21);
    for (HGDIOBJ object : objects)
        DeleteObject(object);
    EXPECT_EQ(CountGdiObjects(), before);

    HDC memory = CreateCompatibleDC(screen);
    LOGFONTA description = {};
    description.lfHeight = -9;
    lstrcpyA(description.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&description);
    EXPECT_EQ(CountGdiObjects(), before + 2);
    DeleteObject(font);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(GdiCount, LeakedPenShowsAsOne)
{
    const int before = CountGdiObjects();
    HPEN leaked = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    HPEN temporary = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
    DeleteObject(temporary);
    EXPECT_EQ(CountGdiObjects(), before + 1);
    DeleteObject(leaked);
}

TEST(GdiCount, StockObjectsAreNotCounted)
{
    const int before = CountGdiObjects();
    GetStockObject(BLACK_BRUSH);
    GetStockObject(DEFAULT_GUI_FONT);
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(UserCount, FollowsWindowsMenusAndIcons)
{
    // The thread's first top-level window brings the thread's IME window with
    // it (and its last one takes it away); an anchor window keeps it steady.
    HWND anchor = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    const int before = CountUserObjects();
    ASSERT_GT(before, 0);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND child = CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 5, 5, window, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(child);
    EXPECT_EQ(CountUserObjects(), before + 2);

    HMENU menu = CreatePopupMenu();
    BYTE andBits[32 * 4] = {};
    BYTE xorBits[32 * 4] = {};
    HICON icon = CreateIcon(GetModuleHandleA(nullptr), 32, 32, 1, 1, andBits, xorBits);
    ASSERT_TRUE(icon);
    EXPECT_EQ(CountUserObjects(), before + 4);

    DestroyIcon(icon);
    DestroyMenu(menu);
    DestroyWindow(window);
    EXPECT_EQ(CountUserObjects(), before);
    DestroyWindow(anchor);
}

int TimerCalls = 0;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++TimerCalls; }
bool TimerCalled() { return TimerCalls > 0; }
bool Never() { return false; }

TEST(Pumping, RunsThisThreadsMessagesAndTimesOut)
{
    TimerCalls = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 1, CountTimer);
    EXPECT_TRUE(testsupport::PumpUntil(TimerCalled, 2000));
    KillTimer(nullptr, timer);

    DWORD start = GetTickCount();
    EXPECT_FALSE(testsupport::PumpUntil(Never, 60));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 1000u);
}

TEST(MessageBoxWatch, RecordsEachBoxAndPressesOk)
{
    testsupport::StartMessageBoxWatch("Warning");
    EXPECT_EQ(MessageBoxA(nullptr, "First text", "Warning", MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Second text", "Warning", MB_OK), IDOK);
    std::vector<testsupport::SeenMessageBox> seen = testsupport::StopMessageBoxWatch();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "Warning");
    EXPECT_EQ(seen[0].text, "First text");
    EXPECT_EQ(seen[0].owner, nullptr);
    EXPECT_EQ(seen[0].icon, LoadIconA(nullptr, IDI_EXCLAMATION));
    ASSERT_EQ(seen[0].buttons.size(), 1u);
    EXPECT_EQ(seen[0].buttons[0], "OK");
    EXPECT_EQ(seen[1].text, "Second text");
    EXPECT_EQ(seen[1].icon, nullptr);
}

TEST(MessageBoxWatch, SeesNothingWhenNoBoxAppears)
{
    testsupport::StartMessageBoxWatch("Warning");
    testsupport::PumpMessages(30);
    EXPECT_TRUE(testsupport::StopMessageBoxWatch().empty());
}

}  // namespace
