// Icons and cursors of the process. Every icon comes from LoadIcon (the
// program's icon resources or the stock icons) and is shared: one handle per
// resource, alive for the whole run, so DestroyIcon never invalidates a handle
// that some window or DC still holds.
#pragma once

#include "gdi/draw_list.h"
#include "platform/winuser.h"

namespace plat::res {

const plat::gdi::IconImage* IconImageOf(HICON icon);

}  // namespace plat::res
