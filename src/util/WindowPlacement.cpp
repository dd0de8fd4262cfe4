#include "util/WindowPlacement.h"

#include <algorithm>

namespace pvx::util {

QPoint AsideFrom(const QRect& keepFree, const QSize& size, const QRect& screen, bool leftFirst, int gap) {
  const int y = std::clamp(keepFree.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
  const int x = std::clamp(keepFree.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
  const int right = screen.right() - keepFree.right(), left = keepFree.left() - screen.left();
  const QPoint toRight(keepFree.right() + 1 + gap, y), toLeft(keepFree.left() - gap - size.width(), y);
  const int wide = size.width() + gap;
  if ((leftFirst ? left : right) >= wide) return leftFirst ? toLeft : toRight;
  if ((leftFirst ? right : left) >= wide) return leftFirst ? toRight : toLeft;
  if (screen.bottom() - keepFree.bottom() >= size.height()) return {x, keepFree.bottom() + 1};
  if (keepFree.top() - screen.top() >= size.height()) return {x, keepFree.top() - size.height()};
  return right >= left ? toRight : toLeft;
}

}  // namespace pvx::util
