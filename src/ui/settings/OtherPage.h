#pragma once
// The Other page: the display language (taken at once), the MPEG-4 codec and the home network
// group; and the hidden picture-in-picture box, which OK writes back as it was loaded.

#include <QWidget>
#include <functional>

#include "ui/settings/ConfigText.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace pvx::ui {

class TServingGroup;
struct TTVChoices;

class TOtherPage final : public QWidget {
  Q_OBJECT
 public:
  explicit TOtherPage(QWidget* parent);

  void Load(const QStringList& languages, const QString& current, int mpeg4Codec, bool pipEnabled);
  void Choose(TTVChoices& choices) const;
  TCaptionList Captions();

  // A language other than the current one was chosen.
  std::function<void(const QString& name)> OnLanguageChosen;

  QComboBox* ComboBoxMultiLanguageOption;
  TServingGroup* Serving;

 private:
  QGroupBox *groupLanguage_, *groupCodec_;
  QLabel *labelLanguage_, *labelCodec_;
  QComboBox* ComboBoxMPEG4Codec_;
  QCheckBox* CheckBoxPIPPlayback_;
  QString current_;
};

}  // namespace pvx::ui
