#include "ui/settings/TunerPage.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>

#include "settings/ChannelInfo.h"
#include "tuning/FineTuneDialog.h"
#include "ui/settings/CellEditors.h"
#include "ui/settings/ConfigApply.h"
#include "util/FrequencyFormat.h"

namespace pvx::ui {

using settings::TChannelInfo;

namespace {

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
  grid->item(row, column)->setText(text);
}

QString SourceName(int source) {
  return source == 1 ? Text("Cable", QStringLiteral("Cable")) : Text("Antenna", QStringLiteral("Antenna"));
}

}  // namespace

TTunerPage::TTunerPage(QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  groupChannels_ = new QGroupBox(QStringLiteral("Channel Settings"), this);
  auto* choice = new QHBoxLayout(groupChannels_);
  RadioButtonNormal = Named(new QRadioButton(QStringLiteral("Normal Channels"), groupChannels_), "RadioButtonNormal");
  ComboBoxCableOption = Named(new QComboBox(groupChannels_), "ComboBoxCableOption");
  FillItems(ComboBoxCableOption, {"Antenna", "Cable"});
  RadioButtonMemory = Named(new QRadioButton(QStringLiteral("Memory Channels"), groupChannels_), "RadioButtonMemory");
  choice->addWidget(RadioButtonNormal);
  choice->addWidget(ComboBoxCableOption);
  choice->addSpacing(24);
  choice->addWidget(RadioButtonMemory);
  choice->addStretch(1);
  layout->addWidget(groupChannels_, 0, 0, 1, 2);

  StringGridChannelInfo = MakeGrid(this, "StringGridChannelInfo", TChannelInfo::kChannelCount,
                                   {"Status", "Channel", "Standard", "MTS", "Name", "Frequency"});
  StringGridMemoryChannel = MakeGrid(this, "StringGridMemoryChannel", TChannelInfo::kMemoryCount,
                                     {"Channel", "Video Source", "Mapped Channel", "Name"});
  layout->addWidget(StringGridChannelInfo, 1, 0);
  layout->addWidget(StringGridMemoryChannel, 1, 1);
  layout->setColumnStretch(0, 3);
  layout->setColumnStretch(1, 2);
  layout->setRowStretch(1, 1);

  auto* scanRow = new QHBoxLayout;
  BitBtnAutoScan_ = Named(new QPushButton(QStringLiteral("Auto Scan"), this), "BitBtnAutoScan");
  BitBtnAbort_ = Named(new QPushButton(QStringLiteral("Abort"), this), "BitBtnAbort");
  BitBtnAbort_->hide();
  labelHint_ = new QLabel(QStringLiteral("Double-click a cell to edit it"), this);
  labelHint_->setWordWrap(true);
  scanRow->addWidget(BitBtnAutoScan_);
  scanRow->addWidget(BitBtnAbort_);
  scanRow->addWidget(labelHint_, 1);
  layout->addLayout(scanRow, 2, 0);

  auto* memoryRow = new QHBoxLayout;
  BitBtnAddChannel_ = Named(new QPushButton(QStringLiteral("Add"), this), "BitBtnAddChannel");
  BitBtnDelete_ = Named(new QPushButton(QStringLiteral("Delete"), this), "BitBtnDelete");
  BitBtnDeleteAll_ = Named(new QPushButton(QStringLiteral("Delete All"), this), "BitBtnDeleteAll");
  memoryRow->addStretch(1);
  for (QPushButton* b : {BitBtnAddChannel_, BitBtnDelete_, BitBtnDeleteAll_}) memoryRow->addWidget(b);
  layout->addLayout(memoryRow, 2, 1);
  for (QPushButton* b : {BitBtnAutoScan_, BitBtnAbort_, BitBtnAddChannel_, BitBtnDelete_, BitBtnDeleteAll_})
    b->setAutoDefault(false);

  BuildEditors();
  connect(ComboBoxCableOption, &QComboBox::currentIndexChanged, this, [this] {
    ChannelEditors->Cancel();
    FillChannelGrid();
  });
  connect(BitBtnAutoScan_, &QPushButton::clicked, this, &TTunerPage::BitBtnAutoScanClick);
  connect(BitBtnAbort_, &QPushButton::clicked, this, [this] {
    if (channels_) channels_->RequestAbort();
  });
  connect(BitBtnAddChannel_, &QPushButton::clicked, this, &TTunerPage::BitBtnAddChannelClick);
  connect(BitBtnDelete_, &QPushButton::clicked, this, &TTunerPage::BitBtnDeleteClick);
  connect(BitBtnDeleteAll_, &QPushButton::clicked, this, &TTunerPage::BitBtnDeleteAllClick);
}

void TTunerPage::BuildEditors() {
  ComboBoxVideoStandard_ = Named(new QComboBox(this), "ComboBoxVideoStandard");
  FillItems(ComboBoxVideoStandard_, StandardNames());
  ComboBoxAudioOption_ = Named(new QComboBox(this), "ComboBoxAudioOption");
  EditChannelName_ = Named(new QLineEdit(this), "EditChannelName");
  ComboBoxMemorySource_ = Named(new QComboBox(this), "ComboBoxMemorySource");
  FillItems(ComboBoxMemorySource_, {"Antenna", "Cable"});
  SpinEditMemoryChannel_ = Named(new QSpinBox(this), "SpinEditMemoryChannel");
  SpinEditMemoryChannel_->setRange(1, TChannelInfo::kChannelCount);

  ChannelEditors = new TCellEditors(StringGridChannelInfo);
  ChannelEditors->RefreshRow = [this](int row) { ShowChannelRow(row); };
  ChannelEditors->SetAction(kColStatus, [this](int row) { Record(row)->Valid = !Record(row)->Valid; });
  ChannelEditors->SetEditor(
      kColStandard, ComboBoxVideoStandard_, [this](int row) { ComboBoxVideoStandard_->setCurrentIndex(Record(row)->Standard); },
      [this](int row) { Record(row)->Standard = quint8(std::max(0, ComboBoxVideoStandard_->currentIndex())); });
  ChannelEditors->SetEditor(
      kColMTS, ComboBoxAudioOption_,
      [this](int row) {
        ComboBoxAudioOption_->clear();
        for (int m = 0; m < TChannelInfo::kNoAudioMode; ++m)
          ComboBoxAudioOption_->addItem(TChannelInfo::AudioModeName(m, Record(row)->Standard));
        ComboBoxAudioOption_->setCurrentIndex(Record(row)->AudioMode);
      },
      [this](int row) { Record(row)->AudioMode = quint8(std::max(0, ComboBoxAudioOption_->currentIndex())); });
  ChannelEditors->SetEditor(
      kColName, EditChannelName_, [this](int row) { EditChannelName_->setText(Record(row)->Name); },
      [this](int row) { Record(row)->Name = EditChannelName_->text(); });
  ChannelEditors->SetAction(kColFrequency, [this](int row) {
    settings::TChannelRecord* record = Record(row);
    // The picture being tuned: the window this dialog belongs to.
    const QWidget* owner = window()->parentWidget();
    const QRect picture = owner && owner->isVisible() ? owner->window()->frameGeometry() : QRect();
    tuning::FineTune(channels_->Tuner(), window(), record->Frequency, record->DefaultFrequency, picture);
  });

  MemoryEditors = new TCellEditors(StringGridMemoryChannel);
  MemoryEditors->RefreshRow = [this](int row) { ShowMemoryRow(row); };
  auto memory = [this](int row) { return channels_->MemoryRecord(row + 1); };
  MemoryEditors->SetEditor(
      kMemSource, ComboBoxMemorySource_, [=, this](int row) { ComboBoxMemorySource_->setCurrentIndex(memory(row)->Source); },
      [=, this](int row) {
        memory(row)->Source = quint8(std::max(0, ComboBoxMemorySource_->currentIndex()));
        memory(row)->Valid = true;
      });
  MemoryEditors->SetEditor(
      kMemChannel, SpinEditMemoryChannel_,
      [=, this](int row) { SpinEditMemoryChannel_->setValue(std::max(1, memory(row)->Channel)); },
      [=, this](int row) {
        memory(row)->Channel = SpinEditMemoryChannel_->value();
        memory(row)->Valid = true;
      });
}

void TTunerPage::Load(TChannelInfo* channels) {
  channels_ = channels;
  if (!channels) return;
  const bool memory = channels->CurrentTable() == TChannelInfo::kMemory;
  RadioButtonMemory->setChecked(memory);
  RadioButtonNormal->setChecked(!memory);
  const QSignalBlocker block(ComboBoxCableOption);
  ComboBoxCableOption->setCurrentIndex(channels->CurrentTable() == TChannelInfo::kCable ? 1 : 0);
  FillChannelGrid();
  FillMemoryGrid();
}

void TTunerPage::Choose(TTVChoices& c) const {
  c.MemoryTable = RadioButtonMemory->isChecked();
  c.Cable = ShowsCable();
}

bool TTunerPage::ShowsCable() const { return ComboBoxCableOption->currentIndex() == 1; }

settings::TChannelRecord* TTunerPage::Record(int row) const {
  return channels_->ChannelRecord(ShowsCable(), row + 1);
}

void TTunerPage::FillChannelGrid() {
  if (!channels_) return;
  for (int row = 0; row < TChannelInfo::kChannelCount; ++row) ShowChannelRow(row);
  FitGrid(StringGridChannelInfo, 12);
}

void TTunerPage::FillMemoryGrid() {
  if (!channels_) return;
  for (int row = 0; row < TChannelInfo::kMemoryCount; ++row) ShowMemoryRow(row);
  FitGrid(StringGridMemoryChannel, 12);
}

void TTunerPage::ShowChannelRow(int row) {
  const settings::TChannelRecord* r = Record(row);
  QTableWidget* grid = StringGridChannelInfo;
  QTableWidgetItem* status = grid->item(row, kColStatus);
  status->setIcon(r->Valid ? style()->standardIcon(QStyle::SP_DialogApplyButton) : QIcon());
  status->setToolTip(r->Valid ? QStringLiteral("In the channel list") : QStringLiteral("Skipped"));
  SetCell(grid, row, kColChannel, QString::number(row + 1));
  SetCell(grid, row, kColStandard, StandardNames().value(r->Standard));
  SetCell(grid, row, kColMTS, TChannelInfo::AudioModeName(r->AudioMode, r->Standard));
  SetCell(grid, row, kColName, r->Name);
  // Megahertz as the program writes them everywhere; the record keeps hertz.
  SetCell(grid, row, kColFrequency, r->Frequency ? util::MHzText(r->Frequency) : QString());
}

void TTunerPage::ShowMemoryRow(int row) {
  const settings::TMemoryChannelRecord* m = channels_->MemoryRecord(row + 1);
  QTableWidget* grid = StringGridMemoryChannel;
  SetCell(grid, row, kMemNumber, QString::number(row + 1));
  const settings::TChannelRecord* mapped = m->Valid ? channels_->ChannelRecord(m->Source == 1, m->Channel) : nullptr;
  SetCell(grid, row, kMemSource, m->Valid ? SourceName(m->Source) : QString());
  SetCell(grid, row, kMemChannel, m->Valid ? QString::number(m->Channel) : QString());
  SetCell(grid, row, kMemName, mapped && !mapped->Name.isEmpty() ? mapped->Name : m->Valid ? m->Name : QString());
}

void TTunerPage::CommitEdits() {
  ChannelEditors->Commit();
  MemoryEditors->Commit();
}

void TTunerPage::BitBtnAutoScanClick() {
  if (!channels_ || channels_->Scanning()) return;
  CommitEdits();
  BitBtnAbort_->show();
  BitBtnAutoScan_->setEnabled(false);
  // The grid follows the scan channel by channel.
  TChannelInfo::TScanListener listener;
  listener.AutoProgress = [this](TChannelInfo&, int channel, bool, bool antenna) {
    if (antenna == ShowsCable() || channel < 1 || channel > TChannelInfo::kChannelCount) return;
    ShowChannelRow(channel - 1);
    StringGridChannelInfo->scrollToItem(StringGridChannelInfo->item(channel - 1, kColChannel));
  };
  channels_->AutoScan(ShowsCable() ? 1 : 0, listener);
  BitBtnAbort_->hide();
  BitBtnAutoScan_->setEnabled(true);
  FillChannelGrid();
  FillMemoryGrid();
}

void TTunerPage::BitBtnAddChannelClick() {
  if (!channels_) return;
  CommitEdits();
  const int channel = StringGridChannelInfo->currentRow() + 1;
  if (channel < 1) return;
  // The first free memory, else the selected one.
  int slot = 0;
  for (int n = 1; n <= TChannelInfo::kMemoryCount && !slot; ++n)
    if (!channels_->MemoryRecord(n)->Valid) slot = n;
  if (!slot) slot = std::max(1, StringGridMemoryChannel->currentRow() + 1);
  const settings::TChannelRecord* record = Record(channel - 1);
  *channels_->MemoryRecord(slot) = {true, quint8(ShowsCable() ? 1 : 0), channel,
                                    record->Name.isEmpty() ? TChannelInfo::MemoryName(slot) : record->Name};
  ShowMemoryRow(slot - 1);
  StringGridMemoryChannel->setCurrentCell(slot - 1, kMemNumber);
}

void TTunerPage::BitBtnDeleteClick() {
  if (!channels_ || StringGridMemoryChannel->currentRow() < 0) return;
  MemoryEditors->Cancel();
  channels_->DeleteMemory(StringGridMemoryChannel->currentRow() + 1);
  FillMemoryGrid();
}

void TTunerPage::BitBtnDeleteAllClick() {
  if (!channels_) return;
  MemoryEditors->Cancel();
  channels_->ClearMemories();
  FillMemoryGrid();
}

TCaptionList TTunerPage::Captions() {
  return {{"ChannelGroup", groupChannels_},   {"NormalGroup", RadioButtonNormal},
          {"MemoryGroup", RadioButtonMemory}, {"ChannelSettingHint", labelHint_},
          {"AutoScan", BitBtnAutoScan_},      {"Abort", BitBtnAbort_},
          {"Add", BitBtnAddChannel_},         {"Delete", BitBtnDelete_},
          {"DeleteAll", BitBtnDeleteAll_}};
}

void TTunerPage::ApplyItemTexts() {
  ApplyItems(ComboBoxCableOption, {"Antenna", "Cable"});
  ApplyItems(ComboBoxMemorySource_, {"Antenna", "Cable"});
  ApplyHeaders(StringGridChannelInfo, {"Status", "Channel", "Standard", "MTS", "Name", "Frequency"});
  ApplyHeaders(StringGridMemoryChannel, {"Channel", "MapSource", "MapChannel", "Name"});
  // The source names in the cells, and the widths, follow the language.
  FillChannelGrid();
  FillMemoryGrid();
}

}  // namespace pvx::ui
