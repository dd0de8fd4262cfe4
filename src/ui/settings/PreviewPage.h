#pragma once
// The Preview page: the channel-preview grid's standard or customised layout, its dimension
// and interval, and one button per custom cell that opens the source dialog.

#include <QWidget>
#include <array>

#include "ui/settings/ConfigText.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pvx::settings {
class TPreviewInfo;
}

namespace pvx::ui {

struct TTVChoices;

class TPreviewPage final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCells = 25;

  TPreviewPage(bool hasCamera, QWidget* parent);

  // Shows the grid's settings; the cell buttons edit `preview`'s custom cells directly.
  void Load(settings::TPreviewInfo* preview);
  void Choose(TTVChoices& choices) const;
  TCaptionList Captions();

  void SbtnSourceClick(int cell);

  std::array<QPushButton*, kCells> SbtnSource{};

 private:
  void UpdateCells();

  bool hasCamera_;
  settings::TPreviewInfo* preview_ = nullptr;
  QGroupBox *groupLayout_, *groupCells_;
  QRadioButton *RadioButtonStandard_, *RadioButtonCustomize_;
  QComboBox* ComboBoxPreviewDimension_;
  QSpinBox* SpinEditPreviewInterval_;
  QLabel *labelDimension_, *labelInterval_, *labelSecond_, *labelHint_;
};

// The text of a custom cell's button: its source and channel, or "-" when not set.
QString SourceCellText(int kind, int channel);

}  // namespace pvx::ui
