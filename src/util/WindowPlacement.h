#pragma once
// Where a small window opens so that it leaves a picture free to see.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace pvx::util {

// The place for a window of `size` on `screen` beside `keepFree`: right of it (left first when
// asked) if it fits, else on the other side, else below or above it, else on the side with the
// most room (partly off the screen then). `gap` pixels stay between them side by side.
QPoint AsideFrom(const QRect& keepFree, const QSize& size, const QRect& screen, bool leftFirst = false,
                 int gap = 0);

}  // namespace pvx::util
