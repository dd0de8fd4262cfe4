#include "ui/settings/PreviewPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "settings/ChannelInfo.h"
#include "settings/PreviewInfo.h"
#include "tuning/VideoSourceDialog.h"
#include "ui/settings/ConfigApply.h"

namespace pvx::ui {

QString SourceCellText(int kind, int channel) {
  switch (kind) {
    case 1: return Text("Antenna", QStringLiteral("Antenna")) + ' ' + QString::number(channel);
    case 2: return Text("Cable", QStringLiteral("Cable")) + ' ' + QString::number(channel);
    case 3: return Text("Composite", QStringLiteral("Composite"));
    case 4: return Text("SVideo", QStringLiteral("S-Video"));
    case 5: return Text("Camera", QStringLiteral("Camera"));
    default: return QStringLiteral("-");
  }
}

TPreviewPage::TPreviewPage(bool hasCamera, QWidget* parent) : QWidget(parent), hasCamera_(hasCamera) {
  auto* column = new QVBoxLayout(this);
  groupLayout_ = new QGroupBox(QStringLiteral("Preview"), this);
  auto* grid = new QGridLayout(groupLayout_);
  RadioButtonStandard_ = Named(new QRadioButton(QStringLiteral("Standard"), groupLayout_), "RadioButtonStandard");
  RadioButtonCustomize_ = Named(new QRadioButton(QStringLiteral("Customize"), groupLayout_), "RadioButtonCustomize");
  ComboBoxPreviewDimension_ = Named(new QComboBox(groupLayout_), "ComboBoxPreviewDimension");
  FillItems(ComboBoxPreviewDimension_, {"2 x 2", "3 x 3", "4 x 4", "5 x 5"});
  SpinEditPreviewInterval_ = Named(new QSpinBox(groupLayout_), "SpinEditPreviewInterval");
  SpinEditPreviewInterval_->setRange(2, 20);
  labelDimension_ = new QLabel(QStringLiteral("Preview Dimension"), groupLayout_);
  labelInterval_ = new QLabel(QStringLiteral("Preview Interval"), groupLayout_);
  labelSecond_ = new QLabel(QStringLiteral("sec."), groupLayout_);
  labelDimension_->setBuddy(ComboBoxPreviewDimension_);
  labelInterval_->setBuddy(SpinEditPreviewInterval_);
  grid->addWidget(RadioButtonStandard_, 0, 0);
  grid->addWidget(RadioButtonCustomize_, 0, 1, 1, 2);
  grid->addWidget(labelDimension_, 1, 0);
  grid->addWidget(ComboBoxPreviewDimension_, 1, 1);
  grid->addWidget(labelInterval_, 2, 0);
  grid->addWidget(SpinEditPreviewInterval_, 2, 1);
  grid->addWidget(labelSecond_, 2, 2);
  grid->setColumnStretch(3, 1);
  column->addWidget(groupLayout_);

  groupCells_ = new QGroupBox(QStringLiteral("Customize"), this);
  auto* cells = new QGridLayout(groupCells_);
  labelHint_ = new QLabel(QStringLiteral("Click a cell button to assign its video source"), groupCells_);
  labelHint_->setWordWrap(true);
  cells->addWidget(labelHint_, 0, 0, 1, 5);
  for (int i = 0; i < kCells; ++i) {
    const QByteArray name = "SbtnSource" + QByteArray::number(i + 1);
    SbtnSource[size_t(i)] = Named(new QPushButton(groupCells_), name.constData());
    SbtnSource[size_t(i)]->setAutoDefault(false);
    SbtnSource[size_t(i)]->setMinimumHeight(2 * fontMetrics().height() + 8);
    cells->addWidget(SbtnSource[size_t(i)], 1 + i / 5, i % 5);
    connect(SbtnSource[size_t(i)], &QPushButton::clicked, this, [this, i] { SbtnSourceClick(i); });
  }
  cells->setRowStretch(6, 1);
  column->addWidget(groupCells_, 1);

  connect(RadioButtonCustomize_, &QRadioButton::toggled, this, &TPreviewPage::UpdateCells);
  connect(ComboBoxPreviewDimension_, &QComboBox::currentIndexChanged, this, &TPreviewPage::UpdateCells);
}

void TPreviewPage::Load(settings::TPreviewInfo* preview) {
  preview_ = preview;
  if (!preview) return;
  RadioButtonCustomize_->setChecked(preview->Customize);
  RadioButtonStandard_->setChecked(!preview->Customize);
  ComboBoxPreviewDimension_->setCurrentIndex(preview->Dimension - 2);
  SpinEditPreviewInterval_->setValue(preview->Interval);
  UpdateCells();
}

void TPreviewPage::Choose(TTVChoices& c) const {
  c.Customize = RadioButtonCustomize_->isChecked();
  c.DimensionIndex = std::max(0, ComboBoxPreviewDimension_->currentIndex());
  c.Interval = SpinEditPreviewInterval_->value();
}

void TPreviewPage::SbtnSourceClick(int cell) {
  if (!preview_) return;
  auto& source = preview_->CustomGrid[size_t(cell / 5)][size_t(cell % 5)];
  tuning::EditSourceMap(window(), source, hasCamera_, preview_->Channels().CurrentChannel());
  UpdateCells();
}

void TPreviewPage::UpdateCells() {
  const int dimension = ComboBoxPreviewDimension_->currentIndex() + 2;
  const bool custom = RadioButtonCustomize_->isChecked();
  for (int i = 0; i < kCells; ++i) {
    QPushButton* button = SbtnSource[size_t(i)];
    button->setVisible(i / 5 < dimension && i % 5 < dimension);
    button->setEnabled(custom);
    if (preview_) {
      const auto& cell = preview_->CustomGrid[size_t(i / 5)][size_t(i % 5)];
      button->setText(SourceCellText(cell.Kind, cell.Channel));
    }
  }
}

TCaptionList TPreviewPage::Captions() {
  return {{"Preview", groupLayout_},        {"Customize", RadioButtonCustomize_},
          {"Customize", groupCells_},       {"PreviewDim", labelDimension_},
          {"PreviewTime", labelInterval_},  {"Second", labelSecond_},
          {"ManualAssignHint", labelHint_}, {"Default", RadioButtonStandard_}};
}

}  // namespace pvx::ui
