#pragma once
// The scheduler's window: the timetable with add, edit and delete, the outcome of each entry,
// the XMLTV import and the wake-up setting. Every change is saved at once and the systemd
// timers follow it; where there are none the scheduler keeps running when the window closes.

#include <QMainWindow>

#include "SchedulerAgent.h"
#include "SystemdTimers.h"
#include "Timetable.h"

class QAction;
class QLabel;
class QPushButton;
class QTableWidget;

namespace pvx::scheduled {

class TFormScheduled : public QMainWindow {
  Q_OBJECT
 public:
  TFormScheduled(QString timetablePath, TSystemd systemd, TSchedulerAgent& agent,
                 QWidget* parent = nullptr);

  // Reads the timetable file again and shows it; a corrupt file is reported and set aside.
  void Reload();
  const TTimetable& Timetable() const { return table_; }
  // The selected entry's id; 0 when none.
  qint32 SelectedId() const;
  void Select(qint32 id);

  void BitBtnAddClick();
  void BitBtnEditClick();
  void BitBtnDeleteClick();
  void itemImportXmltvClick();
  // Imports the listing's programmes chosen in the dialog (or all whose title has `title`
  // when `ask` is off). Returns how many were added.
  int ImportXmltv(const QString& file, bool ask, const QString& title = {});
  void itemExitClick();

  QString StatusText() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool Commit(const TTimetable& changed);
  void ShowTimetable();
  void Notice(const QString& text);

  QString path_;
  TSystemd systemd_;
  TSchedulerAgent& agent_;
  TTimetable table_;
  bool exiting_ = false;
  QTableWidget* StringGridSchedule;
  QPushButton *BitBtnAdd, *BitBtnEdit, *BitBtnDelete;
  QAction* itemWakeSystem;
  QLabel* LabelStatus;
};

}  // namespace pvx::scheduled
