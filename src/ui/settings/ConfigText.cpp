#include "ui/settings/ConfigText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::ui {

QString Text(const char* key, const QString& fallback) { return settings::LanguageText(key, fallback); }

void ApplyCaptions(const TCaptionList& captions) {
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
  if (!lang) return;
  for (const auto& [key, widget] : captions) {
    QString caption, hint;
    if (!lang->Lookup(QLatin1String(key), &caption, &hint)) continue;
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption);
    if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(caption);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      button->setText(caption);
      if (!hint.isEmpty() && qobject_cast<QPushButton*>(button)) button->setToolTip(hint);
    }
  }
}

void ApplyItems(QComboBox* combo, const std::vector<const char*>& keys) {
  for (int i = 0; i < combo->count() && i < int(keys.size()); ++i)
    if (keys[size_t(i)]) combo->setItemText(i, Text(keys[size_t(i)], combo->itemText(i)));
}

void FillItems(QComboBox* combo, const QStringList& items) {
  combo->clear();
  combo->addItems(items);
}

QTableWidget* MakeGrid(QWidget* parent, const char* name, int rows, const QStringList& titles) {
  auto* grid = Named(new QTableWidget(rows, int(titles.size()), parent), name);
  grid->setHorizontalHeaderLabels(titles);
  grid->verticalHeader()->hide();
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < grid->columnCount(); ++c) grid->setItem(r, c, new QTableWidgetItem);
  return grid;
}

int AddStackedRows(QGridLayout* grid, const std::vector<std::pair<QLabel*, QWidget*>>& rows, int row) {
  for (const auto& [label, field] : rows) {
    label->setBuddy(field);
    grid->addWidget(label, row++, 0, 1, 2);
    grid->addWidget(field, row++, 0);
  }
  return row;
}

void ApplyHeaders(QTableWidget* grid, const std::vector<const char*>& keys) {
  for (int c = 0; c < grid->columnCount() && c < int(keys.size()); ++c)
    grid->horizontalHeaderItem(c)->setText(Text(keys[size_t(c)], grid->horizontalHeaderItem(c)->text()));
}

void FitGrid(QTableWidget* grid, int rows) {
  grid->resizeColumnsToContents();
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int frame = 2 * grid->frameWidth() + 4;
  grid->setMinimumWidth(grid->horizontalHeader()->length() + grid->verticalScrollBar()->sizeHint().width() + frame);
  grid->setMinimumHeight(grid->horizontalHeader()->sizeHint().height() + rows * grid->verticalHeader()->defaultSectionSize() + frame);
}

QStringList StandardNames() {
  return {"NTSC-M", "NTSC-J", "PAL-B/G", "PAL-D/K", "PAL- I",
          "PAL-M",  "PAL-N",  "SECAM-B/G", "SECAM-D/K", "SECAM-L"};
}

}  // namespace pvx::ui
