#include "support/TextWalk.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QWidget>

namespace pvx::test {
namespace {

QString PathOf(const QWidget& w, const QWidget& root) {
  QStringList parts;
  for (const QObject* o = &w; o && o != root.parentWidget(); o = o->parent()) {
    const QString name = o->objectName().isEmpty() ? QString(o->metaObject()->className()) : o->objectName();
    const int index = o->parent() ? int(o->parent()->children().indexOf(const_cast<QObject*>(o))) : 0;
    parts.prepend(QStringLiteral("%1#%2").arg(name).arg(index));
    if (o == &root) break;
  }
  return parts.join('/');
}

void Add(QMap<QString, QString>& texts, const QString& key, QString text) {
  text.remove('&');
  if (!text.trimmed().isEmpty()) texts.insert(key, text.trimmed());
}

}  // namespace

QMap<QString, QString> ReadableTexts(const QWidget& root) {
  QMap<QString, QString> texts;
  QList<const QWidget*> widgets{&root};
  for (const QWidget* w : root.findChildren<QWidget*>()) widgets << w;
  for (const QWidget* w : widgets) {
    if (w != &root && !w->isVisibleTo(&root) && !qobject_cast<const QMenu*>(w)) continue;
    const QString at = PathOf(*w, root);
    if (w->isWindow()) Add(texts, at + ":title", w->windowTitle());
    Add(texts, at + ":tip", w->toolTip());
    if (const auto* label = qobject_cast<const QLabel*>(w)) Add(texts, at, label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) Add(texts, at, button->text());
    if (const auto* box = qobject_cast<const QGroupBox*>(w)) Add(texts, at, box->title());
    if (const auto* tabs = qobject_cast<const QTabWidget*>(w))
      for (int i = 0; i < tabs->count(); ++i) Add(texts, at + QStringLiteral(":tab%1").arg(i), tabs->tabText(i));
    if (const auto* combo = qobject_cast<const QComboBox*>(w); combo && !combo->isEditable())
      for (int i = 0; i < combo->count(); ++i) Add(texts, at + QStringLiteral(":item%1").arg(i), combo->itemText(i));
    if (const auto* table = qobject_cast<const QTableWidget*>(w))
      for (int c = 0; c < table->columnCount(); ++c)
        if (const QTableWidgetItem* head = table->horizontalHeaderItem(c))
          Add(texts, at + QStringLiteral(":column%1").arg(c), head->text());
    if (const auto* menu = qobject_cast<const QMenu*>(w))
      for (int i = 0; i < menu->actions().size(); ++i)
        Add(texts, at + QStringLiteral(":action%1").arg(i), menu->actions()[i]->text());
  }
  return texts;
}

QStringList LeftInEnglish(const QMap<QString, QString>& english, const QMap<QString, QString>& translated,
                          const QStringList& ownWords) {
  static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
  QStringList left;
  for (auto it = translated.begin(); it != translated.end(); ++it) {
    if (english.value(it.key()) != it.value() || !word.match(it.value()).hasMatch()) continue;
    QString rest = it.value();
    for (const QString& own : ownWords)
      rest.remove(QRegularExpression("(?<![\\w-])" + QRegularExpression::escape(own) + "(?![\\w-])"));
    // Codes and abbreviations in capitals (PAL_BG, UYVY, RGB24) are names in every language.
    rest.remove(QRegularExpression(QStringLiteral("(?<![\\w-])[A-Z0-9_-]{2,}(?![\\w-])")));
    if (word.match(rest).hasMatch()) left << it.key() + ": " + it.value();
  }
  return left;
}

}  // namespace pvx::test
