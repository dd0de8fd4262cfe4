#pragma once
// Language texts of the settings dialog: captions and hints of its controls under their keys,
// the items of its lists, and the page titles. Controls whose key the language lacks keep their
// built-in English text.

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QTableWidget;
class QWidget;

namespace pvx::ui {

using TCaptionList = std::vector<std::pair<const char*, QWidget*>>;

// The caption under `key`, or `fallback` when the language lacks it.
QString Text(const char* key, const QString& fallback);
// Captions (and, for buttons, hints) of labels, buttons, check boxes and group boxes.
void ApplyCaptions(const TCaptionList& captions);
// Items of a list, one key each (nullptr keeps the item's text); the selection stays.
void ApplyItems(QComboBox* combo, const std::vector<const char*>& keys);

// Fills a combo box with fixed items.
void FillItems(QComboBox* combo, const QStringList& items);

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

// A read-only grid of `rows` empty cells under these titles; cells are edited in place.
QTableWidget* MakeGrid(QWidget* parent, const char* name, int rows, const QStringList& titles);
// Each label above its field, one column wide, from row `row` on; the next free row.
int AddStackedRows(QGridLayout* grid, const std::vector<std::pair<QLabel*, QWidget*>>& rows, int row = 0);

// Column titles of a grid, one key each.
void ApplyHeaders(QTableWidget* grid, const std::vector<const char*>& keys);
// A grid at least as wide as its columns, and `rows` rows high.
void FitGrid(QTableWidget* grid, int rows);

// The ten TV standards as the lists show them.
QStringList StandardNames();

}  // namespace pvx::ui
