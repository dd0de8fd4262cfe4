#pragma once
// The texts a person reads in a window, by where they sit, so a translated window can be set
// against the English one: whatever reads the same in both was left untranslated.

#include <QMap>
#include <QString>
#include <QStringList>

class QWidget;

namespace pvx::test {

// Window titles, captions, tab titles, combo box items, table headers, menu entries and tool
// tips of the visible widgets under `root` (itself included), keyed by object path.
QMap<QString, QString> ReadableTexts(const QWidget& root);
// The entries of `translated` that read as in `english`, as "path: text", leaving out
// those without a word of letters, codes in capitals and the words in `ownWords` (the language's own too).
QStringList LeftInEnglish(const QMap<QString, QString>& english, const QMap<QString, QString>& translated,
                          const QStringList& ownWords);

}  // namespace pvx::test
