#pragma once
// The main window's frame: the four stretched border images ("ImageBoarderTop", "...Bottom",
// "...Left", "...Right") and the menu image on the top border. The borders take no input, so
// presses on them reach the window and drag it.

#include <QLabel>
#include <QMargins>
#include <QRect>
#include <QWidget>

namespace pvx::app {

class TMenuImage;

class TWindowBorders {
 public:
  explicit TWindowBorders(QWidget* form);

  // Top and bottom span the width; left and right fill the height between them.
  void Layout(QSize client);
  // Hidden in full screen and channel preview, with the menu image.
  void SetVisible(bool visible);
  bool Visible() const { return !top_->isHidden(); }

  // Border widths and heights, counted whether or not the borders are shown.
  QMargins Sizes() const;
  // The space aligned windows fill: inside the borders while they show, else the whole client.
  QRect Inner(const QRect& client) const;

  TMenuImage* MenuImage() const { return menu_; }

 private:
  QLabel* top_;
  QLabel* bottom_;
  QLabel* left_;
  QLabel* right_;
  TMenuImage* menu_;
};

}  // namespace pvx::app
