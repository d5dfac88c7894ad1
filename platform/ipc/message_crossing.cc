#include "ipc/message_crossing.h"

#include "platform/dde.h"
#include "platform/winuser.h"

namespace plat::ipc {

Crossing HowItCrosses(UINT message, bool posted) {
  if (message >= WM_USER) return Crossing::kRaw;
  switch (message) {
    case WM_SETTEXT:
      return posted ? Crossing::kRefused : Crossing::kSetText;
    case WM_GETTEXT:
      return posted ? Crossing::kRefused : Crossing::kGetText;
    case WM_DDE_POKE:
    case WM_DDE_DATA:
      return posted ? Crossing::kLendBlock : Crossing::kRefused;
    case WM_DDE_ACK:
      return posted ? Crossing::kAcknowledge : Crossing::kInitiateAnswer;
    case WM_NULL:
    case WM_DESTROY:
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_GETTEXTLENGTH:
    case WM_PAINT:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_QUERYOPEN:
    case WM_ENDSESSION:
    case WM_SHOWWINDOW:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_TIMER:
    case WM_DDE_INITIATE:
    case WM_DDE_TERMINATE:
    case WM_DDE_UNADVISE:
    case WM_DDE_REQUEST:
      return Crossing::kRaw;
  }
  if (message >= WM_KEYFIRST && message <= WM_KEYLAST) return Crossing::kRaw;
  if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) return Crossing::kRaw;
  return Crossing::kRefused;
}

}  // namespace plat::ipc
