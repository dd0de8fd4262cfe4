#include "ui/settings/OtherPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "ui/settings/ConfigApply.h"
#include "ui/settings/ServingGroup.h"

namespace pvx::ui {

TOtherPage::TOtherPage(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  groupLanguage_ = new QGroupBox(QStringLiteral("Language"), this);
  auto* language = new QGridLayout(groupLanguage_);
  ComboBoxMultiLanguageOption = Named(new QComboBox(groupLanguage_), "ComboBoxMultiLanguageOption");
  labelLanguage_ = new QLabel(QStringLiteral("Language"), groupLanguage_);
  labelLanguage_->setBuddy(ComboBoxMultiLanguageOption);
  language->addWidget(labelLanguage_, 0, 0);
  language->addWidget(ComboBoxMultiLanguageOption, 0, 1);
  language->setColumnStretch(1, 1);
  column->addWidget(groupLanguage_);

  groupCodec_ = new QGroupBox(QStringLiteral("MPEG 4"), this);
  auto* codec = new QGridLayout(groupCodec_);
  ComboBoxMPEG4Codec_ = Named(new QComboBox(groupCodec_), "ComboBoxMPEG4Codec");
  FillItems(ComboBoxMPEG4Codec_, {"Divx", "Microsoft V3", "Microsoft V2", "Microsoft V1"});
  labelCodec_ = new QLabel(QStringLiteral("MPEG 4 Codec"), groupCodec_);
  labelCodec_->setBuddy(ComboBoxMPEG4Codec_);
  codec->addWidget(labelCodec_, 0, 0);
  codec->addWidget(ComboBoxMPEG4Codec_, 0, 1);
  codec->setColumnStretch(1, 1);
  column->addWidget(groupCodec_);

  Serving = new TServingGroup(this);
  column->addWidget(Serving);

  CheckBoxPIPPlayback_ = Named(new QCheckBox(QStringLiteral("PIP Enable"), this), "CheckBoxPIPPlayback");
  CheckBoxPIPPlayback_->hide();
  column->addWidget(CheckBoxPIPPlayback_);
  column->addStretch(1);

  connect(ComboBoxMultiLanguageOption, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (name.isEmpty() || name.compare(current_, Qt::CaseInsensitive) == 0) return;
    current_ = name;
    if (OnLanguageChosen) OnLanguageChosen(name);
  });
}

void TOtherPage::Load(const QStringList& languages, const QString& current, int mpeg4Codec, bool pipEnabled) {
  const QSignalBlocker block(ComboBoxMultiLanguageOption);
  current_ = current;
  FillItems(ComboBoxMultiLanguageOption, languages);
  ComboBoxMultiLanguageOption->setCurrentIndex(
      ComboBoxMultiLanguageOption->findText(current, Qt::MatchFixedString));
  ComboBoxMPEG4Codec_->setCurrentIndex(mpeg4Codec);
  CheckBoxPIPPlayback_->setChecked(pipEnabled);
}

void TOtherPage::Choose(TTVChoices& c) const {
  c.MPEG4Codec = std::max(0, ComboBoxMPEG4Codec_->currentIndex());
  c.PIPEnabled = CheckBoxPIPPlayback_->isChecked();
  c.Serve = Serving->On();
  c.ServeOtherDevices = Serving->OtherDevices();
}

TCaptionList TOtherPage::Captions() {
  TCaptionList list{{"MultiLanguage", groupLanguage_}, {"MultiLanguage", labelLanguage_},
                    {"PIP", CheckBoxPIPPlayback_}, {"MPEG4Codec", labelCodec_}};
  for (const auto& caption : Serving->Captions()) list.push_back(caption);
  return list;
}

}  // namespace pvx::ui
