// How a message crosses to another process. Only numbers cross unchanged: system
// messages whose parameters are pointers or handles of one process would make the
// receiver write into its own memory at a foreign address, so they are refused,
// except the few the layer carries itself (window text, the DDE memory blocks).
// WM_DDE_ADVISE and WM_DDE_EXECUTE carry blocks the layer does not carry, so
// they are refused like any other handle of one process.
// Messages from WM_USER on belong to the programs and cross unchanged.
#pragma once

#include "platform/windef.h"

namespace plat::ipc {

enum class Crossing {
  kRaw,             // wParam and lParam are numbers
  kRefused,         // would carry a pointer of this process
  kSetText,         // lParam is a string: its bytes travel
  kGetText,         // lParam is a buffer of wParam bytes: the text comes back
  kLendBlock,       // WM_DDE_POKE / WM_DDE_DATA posted: the block of LOWORD(lParam) travels
  kAcknowledge,     // WM_DDE_ACK posted: HIWORD(wParam) may name a block that travelled
  kInitiateAnswer,  // WM_DDE_ACK sent, in answer to WM_DDE_INITIATE: wParam is a window
};

Crossing HowItCrosses(UINT message, bool posted);

}  // namespace plat::ipc
