#include "display/pending_handlers.h"

namespace display {

INT_PTR OnOffsetSlider(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR OnAveragesSlider(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace display
