#pragma once
// The dialog that makes or edits one timetable entry. OK asks `Check` first; a refused entry
// keeps the dialog open with the reason shown.

#include <QDialog>
#include <functional>

#include "ScheduleEntry.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

namespace pvx::scheduled {

class TDialogScheduleEntry : public QDialog {
  Q_OBJECT
 public:
  explicit TDialogScheduleEntry(QWidget* parent = nullptr);

  void SetEntry(const TScheduleEntry& entry);
  TScheduleEntry Entry() const;
  // Returns false with a reason to refuse the entry.
  std::function<bool(const TScheduleEntry&, QString*)> Check;

 private:
  void ComboBoxSourceChange();
  void ComboBoxFormatChange();
  void ComboBoxAudioOptionChange();
  void FillFormats();
  // The rates to choose from, or the one "As received" item of a format at the card's own rate.
  void ShowFrameRates(bool asReceived);
  void BitBtnOKClick();

  TScheduleEntry base_;  // fields the dialog does not show (id, outcome)
  QDateTimeEdit* DateTimeEditStart;
  QTimeEdit* TimeEditDuration;
  QComboBox *ComboBoxRepeat, *ComboBoxSource, *ComboBoxChannel, *ComboBoxFormat, *ComboBoxSize,
      *ComboBoxQuality, *ComboBoxFrameRate, *ComboBoxAudioOption;
  QSpinBox* SpinEditBitRate;
  QRadioButton *RadioButtonDateTimeName, *RadioButtonBaseName;
  QLineEdit* EditBaseName;
  QLabel* LabelReason;
  bool frameRateAsReceived_ = false;
};

}  // namespace pvx::scheduled
