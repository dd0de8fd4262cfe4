#include "snapshots/FormTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::snapshots {

QString Caption(const QString& key, const QString& fallback, QString* hint) {
  QString caption, found;
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
  if (!lang || !lang->Lookup(key, &caption, &found)) caption = fallback;
  if (hint) *hint = found.isEmpty() ? caption : found;
  return caption;
}

void ApplyText(QAbstractButton* button, QAction* item, const QString& key, const QString& fallback) {
  QString hint;
  const QString caption = Caption(key, fallback, &hint);
  if (button) {
    button->setText(caption);
    button->setToolTip(hint);
  }
  if (item) {
    item->setText(caption);
    item->setToolTip(hint);
  }
}

void ApplyLanguageFont(QWidget& window) {
  if (const settings::TMultiLangInfo* lang = settings::MultiLangInfo) {
    QFont font = window.font();
    font.setPointSize(lang->FontSize);
    window.setFont(font);
  }
}

}  // namespace pvx::snapshots
