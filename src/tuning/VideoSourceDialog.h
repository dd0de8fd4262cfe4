#pragma once
// The source and channel of one custom cell of the channel-preview grid.

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QSpinBox;

namespace pvx::settings {
struct TSourceMapCell;
}

namespace pvx::tuning {

class TFormVideoSource final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMaxChannel = 160;

  // Shows `cell`; a cell not set yet shows Antenna and `currentChannel`. Camera is offered only
  // when the card has that input.
  TFormVideoSource(settings::TSourceMapCell& cell, bool hasCamera, int currentChannel,
                   QWidget* parent = nullptr);

  // The chosen entry: 0 Antenna, 1 Cable, 2 Composite, 3 S-Video, 4 Camera.
  int ItemIndex() const;
  void SetItemIndex(int index);
  void BitBtnOKClick();

 private:
  void RadioGroupSourceClick();

  settings::TSourceMapCell& cell_;
  QGroupBox* RadioGroupSource_;
  QButtonGroup* items_;
  QLabel* LabelChannel_;
  QSpinBox* SpinEditChannel_;
};

// The dialog over `cell`, with `currentChannel` (of the current table) for a cell not set
// yet; true when it was closed with OK.
bool EditSourceMap(QWidget* owner, settings::TSourceMapCell& cell, bool hasCamera, int currentChannel);

}  // namespace pvx::tuning
