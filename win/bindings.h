// What the window layer's own files share, and nobody outside win/ includes:
// the record kept for each window, the end values of ended dialogs and the
// dialog the keyboard belongs to (defined in bindings.cpp).
#pragma once
#include <windows.h>

#include <map>

#include "win/controls.h"
#include "win/routing.h"

namespace winlayer {
namespace internal {

// One window's handler and colours and, for a dialog, the icons loaded for
// it. Released with the window (ForgetDialog).
struct Binding {
    Handler handler = nullptr;
    bool hasColours = false;
    COLORREF text = DefaultColour;
    COLORREF background = DefaultColour;
    HBRUSH brush = nullptr;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
};

extern std::map<HWND, Binding> Bindings;
extern std::map<HWND, INT_PTR> EndValues;  // kept from EndDialogWithValue until ModalLoop returns
extern HWND Active;                        // see ActiveDialog()

}  // namespace internal
}  // namespace winlayer
