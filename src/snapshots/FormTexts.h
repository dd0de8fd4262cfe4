#pragma once
// The language texts of the snapshot windows: a caption and a hint per key.

#include <QString>

class QAbstractButton;
class QAction;
class QWidget;

namespace pvx::snapshots {

// The active language's caption for `key`, else `fallback`; the hint (or the caption) too.
QString Caption(const QString& key, const QString& fallback, QString* hint = nullptr);
// Caption and hint on a button and, when given, on its menu item.
void ApplyText(QAbstractButton* button, QAction* item, const QString& key, const QString& fallback);
// The language's font size on a window.
void ApplyLanguageFont(QWidget& window);

}  // namespace pvx::snapshots
