#include "ui/settings/CellEditors.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableWidget>

namespace pvx::ui {

TCellEditors::TCellEditors(QTableWidget* grid) : QObject(grid), grid_(grid) {
  connect(grid, &QTableWidget::cellDoubleClicked, this, &TCellEditors::Open);
  // An editor stays over its cell: scrolling the grid writes it first.
  connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TCellEditors::Commit);
  // Enter on a cell opens it too, so the grids work from the keyboard.
  grid->installEventFilter(this);
}

void TCellEditors::SetEditor(int column, QWidget* editor, std::function<void(int)> load,
                             std::function<void(int)> store) {
  editor->setParent(grid_->viewport());
  editor->hide();
  editor->installEventFilter(this);
  if (auto* combo = qobject_cast<QComboBox*>(editor))
    connect(combo, &QComboBox::activated, this, [this] { Commit(); });
  columns_[column] = {editor, std::move(load), std::move(store), {}};
}

void TCellEditors::SetAction(int column, std::function<void(int)> action) {
  columns_[column] = {nullptr, {}, {}, std::move(action)};
}

void TCellEditors::Open(int row, int column) {
  Commit();
  const auto found = columns_.find(column);
  if (found == columns_.end() || row < 0) return;
  const Entry& entry = found->second;
  if (entry.action) {
    entry.action(row);
    if (RefreshRow) RefreshRow(row);
    return;
  }
  row_ = row, column_ = column, open_ = entry.editor;
  entry.load(row);
  open_->setGeometry(grid_->visualRect(grid_->model()->index(row, column)));
  open_->show();
  open_->setFocus(Qt::OtherFocusReason);
}

void TCellEditors::Commit() {
  if (!open_) return;
  QWidget* editor = std::exchange(open_, nullptr);
  editor->hide();
  columns_[column_].store(row_);
  if (RefreshRow) RefreshRow(row_);
  grid_->setFocus(Qt::OtherFocusReason);
}

void TCellEditors::Cancel() {
  if (!open_) return;
  std::exchange(open_, nullptr)->hide();
  grid_->setFocus(Qt::OtherFocusReason);
}

bool TCellEditors::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) && grid_->currentIndex().isValid()) {
        Open(grid_->currentRow(), grid_->currentColumn());
        return true;
      }
    }
    return false;
  }
  if (watched != open_) return false;
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) return Cancel(), true;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return Commit(), true;
  } else if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // A combo box's list takes the focus while it is open.
    if (reason != Qt::PopupFocusReason && !open_->isAncestorOf(QApplication::focusWidget())) Commit();
  }
  return false;
}

}  // namespace pvx::ui
