#pragma once
// The main window's artwork, drawn by the program: the four border images that frame the video
// and the two-button menu image in its normal, pressed and hover forms.

#include <QPixmap>
#include <QSize>

namespace pvx::app {

class TBorderArtwork {
 public:
  enum Edge { Top, Bottom, Left, Right };
  enum MenuForm { Normal = 0, Pressed = 1, Hover = 2 };

  static constexpr int kTopHeight = 17;
  static constexpr int kBottomHeight = 10;
  static constexpr int kSideWidth = 10;
  static constexpr QSize kMenuSize{28, 14};

  // A border image at its design size; the window stretches it along the edge.
  static QPixmap Border(Edge edge);
  // The 28 x 14 menu image: a minimise button at (0, 0) and a full-screen button at (14, 0).
  static QPixmap Menu(MenuForm form);
};

}  // namespace pvx::app
