#pragma once
// What the small tuning dialogs share: language captions, the language's font, the OK and
// Cancel row, and a layout that grows with its texts so longer translations fit.

#include <QDialog>
#include <functional>
#include <utility>
#include <vector>

class QBoxLayout;
class QPushButton;

namespace pvx::tuning {

// Language keys and the widgets that show their captions.
using TCaptions = std::vector<std::pair<const char*, QWidget*>>;

// The window title from the language under `titleKey`, the language's font size for the whole
// dialog, and the captions of labels, buttons and group boxes under their keys. Widgets whose
// key the language lacks keep their built-in text.
void ApplyLanguage(QDialog& dialog, const char* titleKey,
                   const TCaptions& captions);

// OK (the default button, so Enter accepts from any field) and Cancel at the bottom right of
// `layout`, named BitBtnOK and BitBtnCancel. OK runs `ok`; Cancel rejects the dialog.
std::pair<QPushButton*, QPushButton*> AddOKCancel(QDialog& dialog, QBoxLayout& layout,
                                                  std::function<void()> ok);

// Fixed to the size its layout asks for, without the help button.
void FixToContents(QDialog& dialog, QBoxLayout& layout);

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

}  // namespace pvx::tuning
