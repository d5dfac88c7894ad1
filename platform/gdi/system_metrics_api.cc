// GetSystemMetrics and MulDiv. The sizes are the layer's fixed non-client
// sizes, so what a program computes from them matches the window layout.
#include "gui/display.h"
#include "gui/headless_display.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "win/system_metrics.h"

int GetSystemMetrics(int index) {
  using namespace plat::win;
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      return kScreenWidth;
    case SM_CYSCREEN:
      return kScreenHeight;
    case SM_CYFULLSCREEN:
      return kScreenHeight - kCaptionHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
      return 16;
    case SM_CYCAPTION:
      return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return kBorderWidth;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return kDialogFrameWidth;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return kFrameWidth;
    case SM_CYMENU:
      return kMenuHeight;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CXSIZE:
    case SM_CYSIZE:
      return kCaptionHeight;
    case SM_CXMIN:
      return 112;
    case SM_CYMIN:
      return kCaptionHeight + 2 * kFrameWidth;
    case SM_CMONITORS:
      return &plat::gui::CurrentDisplay() == &plat::gui::Headless() ? 0 : 1;
  }
  return 0;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t product = (int64_t)a * b;
  int64_t divisor = c;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  // Rounds half away from zero, as Win32 does.
  int64_t result =
      product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor;
  if (result > INT32_MAX || result < -INT32_MAX) return -1;
  return (int)result;
}
