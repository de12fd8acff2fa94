#include "app/mainwindow.h"
#include "app/mouse.h"

namespace app {

HWND MainDialog = nullptr;
HWND SampleRatePanel = nullptr;

int32_t CursorX = 0;
float CursorFrequency = 0.0f;
int32_t ZoomMode = 0;
int32_t Dragging = 0;
int32_t DragLastX = 0;
int32_t SelectionStart = 0;
int32_t SelectionEnd = 0;

}  // namespace app
