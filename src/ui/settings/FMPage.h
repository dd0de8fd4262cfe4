#pragma once
// The FM page: the 50 FM memories with their in-place editors, the FM recording folder, the
// audio source and formats, and the FM recording level.

#include <QWidget>

#include "ui/settings/ConfigText.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QTableWidget;

namespace pvx::settings {
class TChannelInfo;
}

namespace pvx::ui {

class TCellEditors;
class TFolderField;
struct TFMChoices;

class TFMPage final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLevelMax = 65536;
  enum { kColNumber, kColFrequency, kColName };

  explicit TFMPage(QWidget* parent);

  // `fmMin`..`fmMax`: the tuner's FM range in Hz; `recordLevel` is 0..65536.
  void Load(settings::TChannelInfo* channels, qint32 fmMin, qint32 fmMax, const QString& waveFolder,
            const QStringList& audioInputs, const QStringList& audioFormats, int audioInput,
            int audioFormatIndex, int outputFormat, int recordLevel);
  void Choose(TFMChoices& choices) const;
  TCaptionList Captions();
  void ApplyItemTexts();
  void CommitEdits();

  QTableWidget* StringGridFMMemoryChannel;
  TCellEditors* Editors;
  QSpinBox* SpinEditFMFrequency;
  TFolderField* WaveLocation;
  QSlider* TrackBarFMRecorderVolume;
  QLabel* LabelFMRecorderVolume;

 private:
  void ShowRow(int row);

  settings::TChannelInfo* channels_ = nullptr;
  qint32 fmMin_ = 0, fmMax_ = 0;
  QGroupBox *groupMemories_, *groupRecording_;
  QLabel *labelLocation_, *labelSource_, *labelFormat_, *labelOutput_, *labelLevel_;
  QLineEdit* EditFMChannelName_;
  QComboBox *ComboBoxFMAudioSource_, *ComboBoxFMAudioCaptureFormat_, *ComboBoxFMAudioOutputFormat_;
};

}  // namespace pvx::ui
