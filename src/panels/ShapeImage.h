#pragma once
// A skin picture that gives its form a shaped, borderless window. The shape is a stored list
// of rectangles (not computed from the picture), kept in the form's "Data" stream as a
// 32-bit size followed by a region block: a 32-byte header and the rectangles.

#include <QImage>
#include <QRect>
#include <QVector>
#include <QWidget>
#include <functional>

namespace pvx::panels {

class TShapeRegion {
 public:
  QVector<QRect> Rects;  // empty: no region, the window stays rectangular

  bool IsEmpty() const { return Rects.isEmpty(); }
  QRegion Region() const;
  // The stream: int32 byte count, then the block; a count of 0 or less means no region.
  QByteArray WriteData() const;
  // False, leaving the region empty, when the bytes are not a well-formed block.
  bool ReadData(const QByteArray& stream);
};

class TShapeImage final : public QWidget {
  Q_OBJECT
 public:
  // Only a top-level form can hold the image: anything else throws std::invalid_argument
  // with "Please Drop ShapeImage on a Form". The form loses its border.
  explicit TShapeImage(QWidget* form);

  const TShapeRegion& Mask() const { return mask_; }
  // Shapes the form's window at once.
  void SetMask(const TShapeRegion& mask);
  // Dragging with the left button moves the form.
  bool Moveable = true;

  const QImage& Picture() const { return picture_; }
  // A non-empty picture sizes the image and the form to it (in device-independent pixels).
  void SetPicture(const QImage& picture);
  // Paints part of the picture anew (the picture was changed in place).
  QImage& Canvas() { return picture_; }
  void RepaintRect(const QRect& skinRect) { update(skinRect); }

  // The panel's mouse handlers, in skin coordinates.
  std::function<void(QMouseEvent*)> OnMouseDown, OnMouseMove, OnMouseUp;
  // The tool-tip text at a point; empty shows none. Asked at every tool-tip request.
  std::function<QString(QPoint)> HintAt;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  bool event(QEvent*) override;

 private:
  void ApplyMask();

  QWidget* form_;
  TShapeRegion mask_;
  QImage picture_;
  QPoint press_;
};

}  // namespace pvx::panels
