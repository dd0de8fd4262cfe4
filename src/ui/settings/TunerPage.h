#pragma once
// The TV Tuner page: the current table, the antenna or cable channel grid and the memory
// channel grid with their in-place editors, the auto scan and the memory list's buttons. Grid
// edits go straight into the channel records.

#include <QWidget>

#include "ui/settings/ConfigText.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QLineEdit;
class QTableWidget;

namespace pvx::settings {
class TChannelInfo;
struct TChannelRecord;
}

namespace pvx::ui {

class TCellEditors;
struct TTVChoices;

class TTunerPage final : public QWidget {
  Q_OBJECT
 public:
  enum { kColStatus, kColChannel, kColStandard, kColMTS, kColName, kColFrequency };
  enum { kMemNumber, kMemSource, kMemChannel, kMemName };

  explicit TTunerPage(QWidget* parent);

  void Load(settings::TChannelInfo* channels);
  void Choose(TTVChoices& choices) const;
  TCaptionList Captions();
  void ApplyItemTexts();
  // Writes an editor left open.
  void CommitEdits();

  // The table the channel grid shows: the cable table when the option says "Cable".
  bool ShowsCable() const;
  void FillChannelGrid();
  void FillMemoryGrid();

  void BitBtnAutoScanClick();
  void BitBtnAddChannelClick();
  void BitBtnDeleteClick();
  void BitBtnDeleteAllClick();

  QTableWidget* StringGridChannelInfo;
  QTableWidget* StringGridMemoryChannel;
  QComboBox* ComboBoxCableOption;
  QRadioButton* RadioButtonNormal;
  QRadioButton* RadioButtonMemory;
  TCellEditors* ChannelEditors;
  TCellEditors* MemoryEditors;

 private:
  void BuildEditors();
  void ShowChannelRow(int row);
  void ShowMemoryRow(int row);
  settings::TChannelRecord* Record(int row) const;

  settings::TChannelInfo* channels_ = nullptr;
  QGroupBox* groupChannels_;
  QLabel* labelHint_;
  QPushButton *BitBtnAutoScan_, *BitBtnAbort_, *BitBtnAddChannel_, *BitBtnDelete_, *BitBtnDeleteAll_;
  QComboBox *ComboBoxVideoStandard_, *ComboBoxAudioOption_, *ComboBoxMemorySource_;
  QLineEdit* EditChannelName_;
  QSpinBox* SpinEditMemoryChannel_;
};

}  // namespace pvx::ui
