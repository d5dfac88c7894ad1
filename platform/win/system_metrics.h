// Fixed sizes of the non-client parts of windows. Both display backends use these
// numbers for the layout the programs compute, so results do not depend on a theme.
#pragma once

namespace plat::win {

inline constexpr int kBorderWidth = 1;
inline constexpr int kDialogFrameWidth = 3;
inline constexpr int kFrameWidth = 4;
inline constexpr int kCaptionHeight = 18;
inline constexpr int kMenuHeight = 19;
inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

}  // namespace plat::win
