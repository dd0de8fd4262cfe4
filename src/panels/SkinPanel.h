#pragma once
// What the TV and FM panels share: a borderless, shaped window showing a skin, whose items
// take four looks (disabled, enabled, pressed, hover) copied from the skin's full pictures,
// and the button protocol that turns the mouse into looks, drags and commands.

#include <QImage>
#include <QWidget>
#include <functional>

#include "panels/ShapeImage.h"
#include "panels/SkinArt.h"
#include "panels/UIInfo.h"

namespace pvx::panels {

class TSkinPanel : public QWidget {
  Q_OBJECT
 public:
  enum TLook { lkDisabled, lkEnabled, lkPressed, lkHover };
  using TPainter = std::function<TSkinArt(qreal devicePixelRatio)>;

  // `items` are the panel's rows of the item table (count of them; `count` means no item);
  // the first `commandCount` are command items, `muteIndicator` is the one that only shows.
  TSkinPanel(TPainter painter, TUIItemRecord* items, int count, int commandCount, int muteIndicator,
             QWidget* parent = nullptr);

  TShapeImage* Skin() const { return skin_; }
  const TSkinArt& Art() const { return art_; }
  // The picture as shown, with every item in its current look.
  const QImage& Shown() const { return skin_->Picture(); }
  int HotItem() const { return hot_; }
  bool IsPressed() const { return pressed_; }
  int NoItem() const { return count_; }
  TUIItemRecord& Item(int index) { return items_[index]; }
  const TUIItemRecord& Item(int index) const { return items_[index]; }
  int HitTest(QPoint skinPoint) const;
  bool IsCommandItem(int index) const { return index >= 0 && index < commandCount_; }

  // Copies a rectangle of a look onto the shown picture and repaints it.
  void DrawLook(const QRect& skinRect, TLook look);
  void DrawLookAt(const QRect& from, const QRect& to, TLook look);
  void DrawItem(int index, TLook look) { DrawLook(items_[index].Rect(), look); }
  // The enabled or the disabled look, by the item's flag.
  void RedrawItem(int index) { DrawItem(index, items_[index].Enabled ? lkEnabled : lkDisabled); }

  // A slider's value as a 16.16 fraction of its range: 0 at the left (bottom) end, 65536 at the other.
  static int SliderValue(const TUIItemRecord& item, QPoint skinPoint, bool vertical = false);

  // The button protocol, in skin coordinates (the skin's mouse handlers call these).
  void SkinMouseDown(QPoint p, Qt::MouseButton button);
  void SkinMouseMove(QPoint p, Qt::MouseButtons buttons);
  void SkinMouseUp(QPoint p, Qt::MouseButton button);
  // The hot item's hint when it is an enabled command item.
  QString HotHint() const;

 protected:
  // Sliders and dials follow the mouse while pressed; `released` comes with the last position.
  virtual bool IsSliderItem(int index) const = 0;
  virtual void SliderInput(int index, QPoint p, bool released) = 0;
  // An enabled button was released over itself, or the enabled mute indicator was released.
  virtual void RunItem(int index) = 0;
  // The skin was painted anew (another screen scale): draw every item's state again.
  virtual void RedrawAll() = 0;

  void showEvent(QShowEvent*) override;

 private:
  void PaintArt(qreal devicePixelRatio);

  TPainter painter_;
  TSkinArt art_;
  TShapeImage* skin_;
  TUIItemRecord* items_;
  int count_, commandCount_, muteIndicator_;
  int hot_;
  bool pressed_ = false;
  QPoint press_;
};

}  // namespace pvx::panels
