// Icon handles, the images of program icons (rows of palette characters) and
// the stock icons, which are drawn here from simple shapes.
#include "resource/icon_table.h"

#include <string.h>

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/winbase.h"
#include "resource/program_resources.h"

namespace plat::res {

namespace {

using plat::gdi::IconImage;

constexpr int kStockSize = 32;
constexpr UINT kFirstStockIcon = 32512;  // IDI_APPLICATION
constexpr UINT kLastStockIcon = 32516;   // IDI_ASTERISK

struct IconTable {
  std::unordered_map<uintptr_t, std::unique_ptr<IconImage>> images;
  std::map<const void*, HICON> byResource;  // program icons and stock ids
  uintptr_t next = 0x49000000;
};

IconTable& Icons() {
  static IconTable table;
  return table;
}

uint32_t Argb(COLORREF c) {
  return 0xFF000000u | (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c);
}

IconImage FromRows(const IconResource& icon) {
  IconImage image;
  image.height = (int)icon.rows.size();
  for (const char* row : icon.rows)
    image.width = std::max(image.width, (int)strlen(row));
  image.argb.assign((size_t)image.width * image.height, 0);
  for (int y = 0; y < image.height; ++y) {
    const char* row = icon.rows[(size_t)y];
    for (int x = 0; row[x]; ++x) {
      for (const IconColor& c : icon.palette) {
        if (c.key == row[x]) image.argb[(size_t)y * image.width + x] = Argb(c.color);
      }
    }
  }
  return image;
}

// The stock pictures: a window for the application, a red disc with a cross,
// a yellow triangle with a bar, blue and teal discs with a mark, an arrow.
IconImage Stock(UINT id) {
  IconImage image;
  image.width = image.height = kStockSize;
  image.argb.assign(kStockSize * kStockSize, 0);
  auto set = [&](int x, int y, COLORREF c) {
    if (x >= 0 && y >= 0 && x < kStockSize && y < kStockSize)
      image.argb[y * kStockSize + x] = Argb(c);
  };
  auto disc = [&](COLORREF c) {
    for (int y = 0; y < kStockSize; ++y)
      for (int x = 0; x < kStockSize; ++x)
        if ((x - 15.5) * (x - 15.5) + (y - 15.5) * (y - 15.5) <= 15.0 * 15.0) set(x, y, c);
  };
  auto bar = [&](int left, int top, int right, int bottom, COLORREF c) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        set(x, y, c);
  };
  const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
  switch (id) {
    case 32512:  // application
      bar(2, 4, 30, 28, black);
      bar(3, 5, 29, 27, white);
      bar(3, 5, 29, 9, RGB(0, 0, 128));
      break;
    case 32513:  // hand
      disc(RGB(192, 0, 0));
      for (int i = 9; i < 23; ++i) {
        bar(i, i, i + 2, i + 2, white);
        bar(i, 31 - i - 1, i + 2, 31 - i + 1, white);
      }
      break;
    case 32515:  // exclamation
      for (int y = 2; y < 30; ++y) {
        int half = (y - 2) / 2 + 1;
        bar(16 - half, y, 16 + half, y + 1, RGB(255, 255, 0));
      }
      bar(15, 10, 17, 22, black);
      bar(15, 24, 17, 26, black);
      break;
    case 32514:  // question
    case 32516:  // asterisk
      disc(id == 32514 ? RGB(0, 128, 128) : RGB(0, 0, 192));
      bar(14, 7, 18, 11, white);
      bar(14, 13, 18, 25, white);
      break;
    default:  // the arrow cursor
      for (int y = 0; y < 20; ++y)
        bar(0, y, y / 2 + 1, y + 1, y < 16 ? black : white);
      break;
  }
  return image;
}

HICON Share(const void* key, IconImage image) {
  IconTable& t = Icons();
  auto it = t.byResource.find(key);
  if (it != t.byResource.end()) return it->second;
  t.next += 4;
  t.images[t.next] = std::make_unique<IconImage>(std::move(image));
  t.byResource[key] = (HICON)t.next;
  return (HICON)t.next;
}

// Stock keys must not collide with resource addresses: small odd numbers do not.
const void* StockKey(UINT id) {
  return (const void*)(uintptr_t)(id * 2 + 1);
}

}  // namespace

const IconImage* IconImageOf(HICON icon) {
  auto& images = Icons().images;
  auto it = images.find((uintptr_t)icon);
  return it == images.end() ? nullptr : it->second.get();
}

}  // namespace plat::res

HICON LoadIcon(HINSTANCE instance, LPCSTR name) {
  if (!instance) {
    UINT id = IS_INTRESOURCE(name) ? (UINT)(uintptr_t)name : 0;
    if (id < plat::res::kFirstStockIcon || id > plat::res::kLastStockIcon) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    return plat::res::Share(plat::res::StockKey(id), plat::res::Stock(id));
  }
  const IconResource* icon = plat::res::FindIcon(name);
  if (!icon || icon->rows.empty()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return plat::res::Share(icon, plat::res::FromRows(*icon));
}

HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) {
  if (instance || name != IDC_ARROW) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return plat::res::Share(plat::res::StockKey(0), plat::res::Stock(0));
}

BOOL DestroyIcon(HICON icon) {
  if (plat::res::IconImageOf(icon)) return TRUE;
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
