#include "ui/settings/VideoPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "engine/VideoSignalAdjust.h"
#include "ui/settings/ConfigApply.h"

namespace pvx::ui {

namespace {

constexpr const char* kColourNames[TVideoPage::kColourCount] = {"TrackBarBrightness", "TrackBarContrast",
                                                                 "TrackBarHue", "TrackBarSaturation",
                                                                 "TrackBarSharpness"};
constexpr const char* kColourKeys[TVideoPage::kColourCount] = {"Brightness", "Contrast", "Hue",
                                                                "Saturation", "Sharpness"};
// The live picture's deinterlacing, by list item.
enum { kDeinterlaceOff, kDeinterlaceFast, kDeinterlaceBest };

}  // namespace

TVideoPage::TVideoPage(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->addWidget(BuildColourGroup(), 1, Qt::AlignTop);
  row->addWidget(BuildOptionsGroup(), 1);
}

QWidget* TVideoPage::BuildColourGroup() {
  groupColour_ = new QGroupBox(QStringLiteral("Color"), this);
  auto* grid = new QGridLayout(groupColour_);
  for (int p = 0; p < kColourCount; ++p) {
    names_[size_t(p)] = new QLabel(QLatin1String(kColourKeys[p]), groupColour_);
    TrackBars[size_t(p)] = Named(new QSlider(Qt::Horizontal, groupColour_), kColourNames[p]);
    values_[size_t(p)] = new QLabel(QStringLiteral("0"), groupColour_);
    values_[size_t(p)]->setMinimumWidth(values_[size_t(p)]->fontMetrics().horizontalAdvance(QStringLiteral("-00000")));
    values_[size_t(p)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    names_[size_t(p)]->setBuddy(TrackBars[size_t(p)]);
    grid->addWidget(names_[size_t(p)], p, 0);
    grid->addWidget(TrackBars[size_t(p)], p, 1);
    grid->addWidget(values_[size_t(p)], p, 2);
    connect(TrackBars[size_t(p)], &QSlider::valueChanged, this, [this, p](int v) { TrackBarChange(p, v); });
  }
  BitBtnDefaultColor_ = Named(new QPushButton(QStringLiteral("Default"), groupColour_), "BitBtnDefaultColor");
  grid->addWidget(BitBtnDefaultColor_, kColourCount, 1, 1, 2, Qt::AlignRight);
  grid->setColumnStretch(1, 1);
  connect(BitBtnDefaultColor_, &QPushButton::clicked, this, &TVideoPage::BitBtnDefaultColorClick);
  return groupColour_;
}

QWidget* TVideoPage::BuildOptionsGroup() {
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  groupSystem_ = new QGroupBox(QStringLiteral("Video System"), box);
  auto* system = new QGridLayout(groupSystem_);
  ComboBoxCompositeSource_ = Named(new QComboBox(groupSystem_), "ComboBoxCompositeSource");
  ComboBoxSVideoSource_ = Named(new QComboBox(groupSystem_), "ComboBoxSVideoSource");
  FillItems(ComboBoxCompositeSource_, StandardNames());
  FillItems(ComboBoxSVideoSource_, StandardNames());
  labelComposite_ = new QLabel(QStringLiteral("Composite"), groupSystem_);
  labelSVideo_ = new QLabel(QStringLiteral("S-Video"), groupSystem_);
  labelComposite_->setBuddy(ComboBoxCompositeSource_);
  labelSVideo_->setBuddy(ComboBoxSVideoSource_);
  system->addWidget(labelComposite_, 0, 0);
  system->addWidget(ComboBoxCompositeSource_, 0, 1);
  system->addWidget(labelSVideo_, 1, 0);
  system->addWidget(ComboBoxSVideoSource_, 1, 1);
  system->setColumnStretch(1, 1);
  column->addWidget(groupSystem_);

  groupDisplay_ = new QGroupBox(box);
  auto* display = new QGridLayout(groupDisplay_);
  ComboBoxScale_ = Named(new QComboBox(groupDisplay_), "ComboBoxScale");
  FillItems(ComboBoxScale_, {"No Scale", "4:3", "16:9"});
  labelScale_ = new QLabel(QStringLiteral("Aspect Ratio"), groupDisplay_);
  labelScale_->setBuddy(ComboBoxScale_);
  CheckBoxAlwaysOnTop_ = Named(new QCheckBox(QStringLiteral("Always on top"), groupDisplay_), "CheckBoxAlwaysOnTop");
  ComboBoxDeinterlace_ = Named(new QComboBox(groupDisplay_), "ComboBoxDeinterlace");
  FillItems(ComboBoxDeinterlace_, {"Off", "Fast", "Best"});
  labelDeinterlace_ = new QLabel(QStringLiteral("Deinterlace live picture"), groupDisplay_);
  labelDeinterlace_->setBuddy(ComboBoxDeinterlace_);
  CheckBoxDoNotUseOverlay_ = Named(new QCheckBox(QStringLiteral("Don't use overlay as display surface"), groupDisplay_),
                                   "CheckBoxDoNotUseOverlay");
  display->addWidget(labelScale_, 0, 0);
  display->addWidget(ComboBoxScale_, 0, 1);
  display->addWidget(labelDeinterlace_, 1, 0);
  display->addWidget(ComboBoxDeinterlace_, 1, 1);
  display->addWidget(CheckBoxAlwaysOnTop_, 2, 0, 1, 2);
  display->addWidget(CheckBoxDoNotUseOverlay_, 3, 0, 1, 2);
  display->setColumnStretch(1, 1);
  column->addWidget(groupDisplay_);
  column->addStretch(1);
  return box;
}

void TVideoPage::Load(engine::IColourControls* adjust, const TVideoOptions& o) {
  adjust_ = nullptr;  // filling the bars sends nothing to the device
  for (int p = 0; p < kColourCount; ++p) {
    QSlider* bar = TrackBars[size_t(p)];
    const engine::TProcAmpRange range = adjust ? adjust->Range(p) : engine::TProcAmpRange{};
    started_[size_t(p)] = adjust ? adjust->Value(p) : 0;
    bar->setRange(range.Min, range.Max);
    bar->setValue(started_[size_t(p)]);
    values_[size_t(p)]->setText(QString::number(bar->value()));
    bar->setEnabled(adjust && range.Max > range.Min);
  }
  BitBtnDefaultColor_->setEnabled(adjust != nullptr);
  adjust_ = adjust;
  ComboBoxCompositeSource_->setCurrentIndex(o.CompositeStandard);
  ComboBoxSVideoSource_->setCurrentIndex(o.SVideoStandard);
  ComboBoxScale_->setCurrentIndex(o.Aspect);
  CheckBoxAlwaysOnTop_->setChecked(o.AlwaysOnTop);
  ComboBoxDeinterlace_->setCurrentIndex(!o.Deinterlace      ? kDeinterlaceOff
                                        : o.DeinterlaceFast ? kDeinterlaceFast
                                                            : kDeinterlaceBest);
  CheckBoxDoNotUseOverlay_->setChecked(o.NoOverlay);
}

void TVideoPage::Choose(TTVChoices& c) const {
  c.CompositeStandard = std::max(0, ComboBoxCompositeSource_->currentIndex());
  c.SVideoStandard = std::max(0, ComboBoxSVideoSource_->currentIndex());
  c.Aspect = std::max(0, ComboBoxScale_->currentIndex());
  c.AlwaysOnTop = CheckBoxAlwaysOnTop_->isChecked();
  const int deinterlace = ComboBoxDeinterlace_->currentIndex();
  c.Capture.Deinterlace = deinterlace == kDeinterlaceFast || deinterlace == kDeinterlaceBest;
  // Off keeps the method for when it is turned on again.
  if (c.Capture.Deinterlace) c.Capture.DeinterlaceFast = deinterlace == kDeinterlaceFast;
  c.NoOverlay = CheckBoxDoNotUseOverlay_->isChecked();
}

void TVideoPage::TrackBarChange(int property, int position) {
  values_[size_t(property)]->setText(QString::number(position));
  if (adjust_) adjust_->SetValue(property, position);
}

void TVideoPage::BitBtnDefaultColorClick() {
  if (!adjust_) return;
  for (int p = 0; p < kColourCount; ++p)
    if (TrackBars[size_t(p)]->isEnabled()) TrackBars[size_t(p)]->setValue(adjust_->Range(p).Default);
}

void TVideoPage::RestoreColours() {
  if (!adjust_) return;
  for (int p = 0; p < kColourCount; ++p)
    if (TrackBars[size_t(p)]->isEnabled()) adjust_->SetValue(p, started_[size_t(p)]);
}

void TVideoPage::ApplyItemTexts() {
  ApplyItems(ComboBoxScale_, {"NoScale", nullptr, nullptr});
  ApplyItems(ComboBoxDeinterlace_, {"DeinterlaceOff", "DeinterlaceFast", "DeinterlaceBest"});
}

TCaptionList TVideoPage::Captions() {
  TCaptionList list{{"Color", groupColour_},         {"Default", BitBtnDefaultColor_},
                    {"VideoSystem", groupSystem_},   {"Composite", labelComposite_},
                    {"SVideo", labelSVideo_},        {"AspectRatio", labelScale_},
                    {"AlwaysOnTop", CheckBoxAlwaysOnTop_},
                    {"DeinterlacePreview", labelDeinterlace_},
                    {"DoNotUseOverlay", CheckBoxDoNotUseOverlay_}};
  for (int p = 0; p < kColourCount; ++p) list.emplace_back(kColourKeys[p], names_[size_t(p)]);
  return list;
}

}  // namespace pvx::ui
