#pragma once
// In-place editors over the cells of a grid: a double-click puts the column's editor over the
// cell; leaving it (Tab, Enter, a click elsewhere) writes the value, Escape drops it. Columns
// may instead run an action on double-click (a dialog, a toggle).

#include <QObject>
#include <functional>
#include <map>

class QTableWidget;
class QWidget;

namespace pvx::ui {

class TCellEditors final : public QObject {
  Q_OBJECT
 public:
  explicit TCellEditors(QTableWidget* grid);

  // `load` fills the editor from row's record, `store` writes the editor back into it.
  void SetEditor(int column, QWidget* editor, std::function<void(int row)> load,
                 std::function<void(int row)> store);
  void SetAction(int column, std::function<void(int row)> action);
  // Shows the row's cells again after a change.
  std::function<void(int row)> RefreshRow;

  void Open(int row, int column);
  QWidget* OpenEditor() const { return open_; }
  // Writes the open editor (if any) and closes it.
  void Commit();
  void Cancel();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QWidget* editor = nullptr;
    std::function<void(int)> load, store, action;
  };
  QTableWidget* grid_;
  std::map<int, Entry> columns_;
  QWidget* open_ = nullptr;
  int row_ = -1, column_ = -1;
};

}  // namespace pvx::ui
