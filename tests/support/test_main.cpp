// The main of the window tests: the common controls are registered as the
// program's WinMain registers them, then GoogleTest runs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0x9FF};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
