#pragma once
// The two-button menu image on the main window's top border ("ImageMenu"): item 0 minimises,
// item 1 toggles full screen. Buttons show a hover look under the mouse and a pressed look
// while held; a button runs only when released over the item it was pressed on.

#include <QPixmap>
#include <QWidget>
#include <array>
#include <functional>

#include "commands/CommandTable.h"

namespace pvx::app {

class TMenuImage final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kNoItem = 2;

  explicit TMenuImage(QWidget* form);

  // The item under a point of the image: 0, 1, or kNoItem.
  static int HitTestMenu(QPoint point);
  // The command of an item: minimise or full screen.
  static commands::TCommand ItemCommand(int item) { return item == 0 ? commands::TCommand::Minimise : commands::TCommand::FullScreen; }

  // The form saw the mouse move elsewhere: drop the hover look if the image had it.
  void FormMouseMove();

  int HotItem() const { return hotItem_; }
  bool MenuPressed() const { return pressed_; }
  // The image as currently drawn.
  const QPixmap& Picture() const { return picture_; }

  // Runs an item's command; set by the main window.
  std::function<void(commands::TCommand command)> RunCommand;
  // Whether an item is enabled; unset means both are.
  std::function<bool(int item)> ItemEnabled;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  static QRect ItemRect(int item);
  bool IsEnabled(int item) const;
  // Copies one item's rectangle (or the whole image) from an artwork form onto the picture.
  void CopyArtwork(int form, int item);
  void CopyWholeArtwork(int form);

  // "ImageListSystemMenu": normal, pressed and hover artwork.
  std::array<QPixmap, 3> bitmaps_;
  QPixmap picture_;
  int hotItem_ = kNoItem;
  bool pressed_ = false;
  bool tag_ = false;  // the hover look may be showing
};

}  // namespace pvx::app
