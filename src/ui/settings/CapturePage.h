#pragma once
// The Capture page: capture device and input format, the capture format with its profile, the
// file name, folder and time limit, and the audio options and recording level.

#include <QWidget>

#include "ui/settings/ConfigText.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace pvx::settings {
struct TCaptureSettings;
}

namespace pvx::ui {

class TFolderField;
struct TTVChoices;

// The engine's device and format lists the page offers.
struct TCaptureLists {
  QStringList VideoDevices, AudioDevices, AudioInputs, AudioFormats;
};

class TCapturePage final : public QWidget {
  Q_OBJECT
 public:
  // Message 8024: a refused audio device's index, handled from the event queue.
  static constexpr int kRefusedAudioDeviceEvent = 8024;

  TCapturePage(int chipFamily, QWidget* parent);

  // The controls from the settings and the engine's lists; `recordLevel` is 0..65536.
  void Load(const settings::TCaptureSettings& stored, const TCaptureLists& lists, int recordLevel);
  void Choose(TTVChoices& choices) const;
  TCaptionList Captions();
  void ApplyItemTexts();

  // The profile of the chosen format on the size, bit rate, quality and frame-rate controls.
  void ComboBoxCaptureFormatChange();
  void ComboBoxAudioCaptureDeviceChange(int index);

  QComboBox* ComboBoxCaptureFormat;
  QComboBox* ComboBoxCaptureSize;
  QSpinBox* SpinEditBitRate;
  QComboBox* ComboBoxCaptureQuality;
  QComboBox* ComboBoxFrameRate;
  QComboBox* ComboBoxCaptureAudioOption;
  QComboBox* ComboBoxAudioCaptureDevice;
  TFolderField* CaptureLocation;
  QSlider* TrackBarRecorderVolume;
  QLabel* LabelRecorderVolume;

 protected:
  bool event(QEvent* event) override;

 private:
  QWidget* BuildVideoGroup();
  QWidget* BuildFileGroup();
  QWidget* BuildAudioGroup();
  void UpdateNameAndLimit();
  // The rates to choose from, or the one "As received" item of a format at the card's own rate.
  void ShowFrameRates(bool asReceived);
  void ApplyStandInTexts();

  int chipFamily_;
  QGroupBox *groupDevice_, *groupFormat_, *groupFile_, *groupAudio_;
  QLabel *labelDevice_, *labelInput_, *labelFormat_, *labelSize_, *labelBitRate_, *labelQuality_,
      *labelFrameRate_, *labelLocation_, *labelSecond_, *labelAudioOption_, *labelAudioFormat_,
      *labelAudioDevice_, *labelAudioSource_, *labelAudioCaptureFormat_, *labelLevel_;
  QComboBox *ComboBoxVideoCaptureDevice_, *ComboBoxCaptureInputFormat_, *ComboBoxCaptureAudioFormat_,
      *ComboBoxAudioSource_, *ComboBoxAudioCaptureFormat_;
  QRadioButton *RadioButtonUseDateTimeFormat_, *RadioButtonUserDefineFormat_;
  QLineEdit* EditCaptureBaseName_;
  QCheckBox* CheckBoxEnableTimeLimit_;
  QSpinBox* SpinEditTimeValue_;
  QGroupBox* GroupBoxTimeShift_;
  QCheckBox* CheckBoxSaveTimeShift_;
  QCheckBox* CheckBoxHardwareEncoder_;
  bool frameRateAsReceived_ = false;
};

}  // namespace pvx::ui
