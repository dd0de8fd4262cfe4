#pragma once
// Small pieces both play-list windows use: the parts of a path they show, and the language's
// font size.

#include <QString>
#include <QWidget>

#include "settings/MultiLangInfo.h"

namespace pvx::playback {

// The folder with its closing "/", and the name after it; together they give the path back.
inline QString FolderPart(const QString& path) { return path.left(path.lastIndexOf('/') + 1); }
inline QString NamePart(const QString& path) { return path.mid(path.lastIndexOf('/') + 1); }

inline void ApplyLanguageFont(QWidget& window, const settings::TMultiLangInfo& lang) {
  QFont font = window.font();
  font.setPointSize(lang.FontSize);
  window.setFont(font);
}

}  // namespace pvx::playback
