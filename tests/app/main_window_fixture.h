// A real main window built and initialised in-process as start-up does, up
// to the point where the program would enter its message loop.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/mainwindow.h"

namespace apptest {

// "MS Sans Serif" 8 pt at 96 dpi: 4 x 8 dialog units are 6 x 13 pixels.
constexpr int BaseX = 6;
constexpr int BaseY = 13;
inline int PixelsX(int units) { return MulDiv(units, BaseX, 4); }
inline int PixelsY(int units) { return MulDiv(units, BaseY, 8); }

// A window's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND window)
{
    RECT box;
    GetWindowRect(window, &box);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// The pixels a device context shows in its width x height area at (x, y),
// the top-left one unless given, copied into a 32-bit DIB as 0x00RRGGBB
// values.
std::vector<uint32_t> Snapshot(HDC source, int width, int height, int x = 0, int y = 0);

// A mouse message to the main window at (x, 5) of `window`, the pointer put
// there too, as a user's mouse produces it.
void MouseAt(HWND window, UINT message, int x);

class MainWindow : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace apptest
