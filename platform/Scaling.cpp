#include "platform/Scaling.h"

#include <algorithm>
#include <cstdint>

namespace platform {

int DefaultScale(int pictureWidth, int pictureHeight, int usableWidth, int usableHeight) {
  int scale = kMinScale;
  for (int n = kMinScale + 1; n <= kMaxScale; ++n) {
    // At most two thirds of the height, in whole pixels: 3 x height <= 2 x usable.
    if (3 * pictureHeight * n > 2 * usableHeight || pictureWidth * n > usableWidth) break;
    scale = n;
  }
  return scale;
}

Placement PlacePicture(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight) {
  Placement p;
  if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) return p;
  const int factor = std::min(windowWidth / pictureWidth, windowHeight / pictureHeight);
  if (factor >= 1) {
    p.width = pictureWidth * factor;
    p.height = pictureHeight * factor;
  } else if (std::int64_t(windowWidth) * pictureHeight <= std::int64_t(windowHeight) * pictureWidth) {
    p.width = windowWidth;
    p.height = std::max(1, int(std::int64_t(windowWidth) * pictureHeight / pictureWidth));
  } else {
    p.height = windowHeight;
    p.width = std::max(1, int(std::int64_t(windowHeight) * pictureWidth / pictureHeight));
  }
  p.x = (windowWidth - p.width) / 2;
  p.y = (windowHeight - p.height) / 2;
  return p;
}

Surround SurroundPicture(const Placement& p, int windowWidth, int windowHeight, int shownWidth, int shownHeight) {
  Surround s;
  const auto add = [](Area* list, int& count, Area area) {
    if (area.width > 0 && area.height > 0) list[count++] = area;
  };
  add(s.bars, s.barCount, {0, 0, windowWidth, p.y});
  add(s.bars, s.barCount, {0, p.y + p.height, windowWidth, windowHeight - p.y - p.height});
  add(s.bars, s.barCount, {0, p.y, p.x, p.height});
  add(s.bars, s.barCount, {p.x + p.width, p.y, windowWidth - p.x - p.width, p.height});
  add(s.face, s.faceCount, {p.x + shownWidth, p.y, p.width - shownWidth, p.height});
  add(s.face, s.faceCount, {p.x, p.y + shownHeight, shownWidth, p.height - shownHeight});
  return s;
}

bool WindowToPicture(const Placement& placement, int pictureWidth, int pictureHeight, int windowX, int windowY,
                     int* x, int* y) {
  const int dx = windowX - placement.x, dy = windowY - placement.y;
  if (dx < 0 || dy < 0 || dx >= placement.width || dy >= placement.height) return false;
  *x = int(std::int64_t(dx) * pictureWidth / placement.width);
  *y = int(std::int64_t(dy) * pictureHeight / placement.height);
  return true;
}

}  // namespace platform
