#include "ScheduledWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "CommandLine.h"
#include "EntryDialog.h"
#include "ProgramChannels.h"
#include "Wording.h"
#include "XmltvDialog.h"
#include "platform/DialogService.h"
#include "settings/ErrorMessages.h"

namespace pvx::scheduled {

namespace {

QStringList Columns() {
  return {Shown("SchedId", "Id"),           Shown("SchedStart", "Start"),     Shown("SchedDuration", "Duration"),
          Shown("SchedRepeat", "Repeat"),   Shown("SchedSource", "Source"),   Shown("SchedChannel", "Channel"),
          Shown("SchedFormat", "Format"),   Shown("SchedFileName", "File name"), Shown("SchedOutcome", "Outcome")};
}

QString ChannelText(const TScheduleEntry& e) {
  if (e.Source == handoff::rsComposite || e.Source == handoff::rsSVideo) return {};
  for (const TProgramChannel& c : ProgramChannels(e.Source))
    if (c.Channel == e.Channel) return c.Label();
  return QString::number(e.Channel);
}

}  // namespace

TFormScheduled::TFormScheduled(QString timetablePath, TSystemd systemd, TSchedulerAgent& agent,
                               QWidget* parent)
    : QMainWindow(parent), path_(std::move(timetablePath)), systemd_(std::move(systemd)), agent_(agent) {
  setObjectName("FormScheduled");
  setWindowTitle(Shown("SchedTitle", "OKA PVX Scheduled Recording"));
  QMenu* menu = menuBar()->addMenu(Shown("SchedMenu", "&Schedule"));
  menu->addAction(Shown("SchedAdd", "&Add..."), this, [this] { BitBtnAddClick(); })->setObjectName("itemAdd");
  menu->addAction(Shown("SchedEdit", "&Edit..."), this, [this] { BitBtnEditClick(); })->setObjectName("itemEdit");
  menu->addAction(Shown("SchedDelete", "&Delete"), this, [this] { BitBtnDeleteClick(); })->setObjectName("itemDelete");
  menu->addSeparator();
  menu->addAction(Shown("SchedImportXmltv", "&Import XMLTV listing..."), this, [this] { itemImportXmltvClick(); })
      ->setObjectName("itemImportXmltv");
  itemWakeSystem = menu->addAction(Shown("SchedWake", "&Wake the computer for recordings"));
  itemWakeSystem->setObjectName("itemWakeSystem");
  itemWakeSystem->setCheckable(true);
  itemWakeSystem->setEnabled(systemd_.Available());
  connect(itemWakeSystem, &QAction::triggered, this, [this](bool on) {
    TTimetable changed = table_;
    changed.WakeSystem = on;
    Commit(changed);
  });
  menu->addSeparator();
  menu->addAction(Shown("SchedExit", "E&xit"), this, [this] { itemExitClick(); })->setObjectName("itemExit");

  const QStringList columns = Columns();
  StringGridSchedule = new QTableWidget(0, int(columns.size()));
  StringGridSchedule->setObjectName("StringGridSchedule");
  StringGridSchedule->setHorizontalHeaderLabels(columns);
  StringGridSchedule->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGridSchedule->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGridSchedule->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGridSchedule->verticalHeader()->hide();
  StringGridSchedule->horizontalHeader()->setStretchLastSection(true);
  connect(StringGridSchedule, &QTableWidget::cellDoubleClicked, this, [this] { BitBtnEditClick(); });
  BitBtnAdd = new QPushButton(ShownPlain("SchedAdd", "&Add..."));
  BitBtnAdd->setObjectName("BitBtnAdd");
  BitBtnEdit = new QPushButton(ShownPlain("SchedEdit", "&Edit..."));
  BitBtnEdit->setObjectName("BitBtnEdit");
  BitBtnDelete = new QPushButton(ShownPlain("SchedDelete", "&Delete"));
  BitBtnDelete->setObjectName("BitBtnDelete");
  connect(BitBtnAdd, &QPushButton::clicked, this, [this] { BitBtnAddClick(); });
  connect(BitBtnEdit, &QPushButton::clicked, this, [this] { BitBtnEditClick(); });
  connect(BitBtnDelete, &QPushButton::clicked, this, [this] { BitBtnDeleteClick(); });
  LabelStatus = new QLabel;
  LabelStatus->setObjectName("LabelStatus");
  LabelStatus->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BitBtnAdd);
  buttons->addWidget(BitBtnEdit);
  buttons->addWidget(BitBtnDelete);
  buttons->addStretch();
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(StringGridSchedule, 1);
  layout->addLayout(buttons);
  layout->addWidget(LabelStatus);
  setCentralWidget(central);
  resize(860, 360);

  agent_.OnOutcome = [this](qint32 id, TOutcome) {
    const qint32 selected = SelectedId();
    Reload();
    Select(selected ? selected : id);
  };
  agent_.OnNotice = [this](const QString& text) { Notice(text); };
  agent_.OnFileChanged = [this] {
    const qint32 selected = SelectedId();
    Reload();
    Select(selected);
  };
  Reload();
}

void TFormScheduled::Reload() {
  QString reason;
  if (table_.Load(path_, &reason) == TTimetable::TLoad::Corrupt) {
    // Kept aside for the user; the timetable starts empty instead of being lost on the next save.
    QFile::remove(path_ + ".corrupt");
    QFile::rename(path_, path_ + ".corrupt");
    platform::Dialogs().ShowWarning({reason});
  }
  itemWakeSystem->setChecked(table_.WakeSystem);
  ShowTimetable();
}

void TFormScheduled::ShowTimetable() {
  StringGridSchedule->setRowCount(int(table_.Entries.size()));
  const QLocale locale = ShownLocale();
  for (int row = 0; row < table_.Entries.size(); ++row) {
    const TScheduleEntry& e = table_.Entries[row];
    const QString format = e.Source == handoff::rsFM || e.AudioOption == 1 ? AudioFormatNames().value(e.Format)
                                                                           : FormatNames().value(e.Format);
    // A repeating entry shows its next start.
    const QDateTime start = e.NextOccurrence(QDateTime::currentDateTime()).value_or(e.Start);
    const QStringList cells{QString::number(e.Id), locale.toString(start, "ddd yyyy-MM-dd HH:mm:ss"),
                            DurationText(e.DurationSeconds), ShownRepeatNames()[int(e.Repeat)],
                            ShownSourceNames()[e.Source], ChannelText(e), format,
                            e.UseDateTimeName ? Shown("SchedDateTimeCell", "(date and time)") : e.BaseName,
                            ShownOutcome(e.Outcome)};
    for (int column = 0; column < cells.size(); ++column)
      StringGridSchedule->setItem(row, column, new QTableWidgetItem(cells[column]));
  }
  StringGridSchedule->resizeColumnsToContents();
  LabelStatus->setText(systemd_.Available()
                           ? Shown("SchedTimers", "Each entry has a systemd timer: recordings start while nothing runs.")
                           : Shown("SchedNoSystemd", "No systemd here: the scheduler keeps running in the background "
                                                     "to start recordings."));
}

void TFormScheduled::Notice(const QString& text) { LabelStatus->setText(text); }

QString TFormScheduled::StatusText() const { return LabelStatus->text(); }

qint32 TFormScheduled::SelectedId() const {
  const int row = StringGridSchedule->currentRow();
  return row >= 0 && row < table_.Entries.size() && StringGridSchedule->selectionModel()->hasSelection()
             ? table_.Entries[row].Id
             : 0;
}

void TFormScheduled::Select(qint32 id) {
  for (int row = 0; row < table_.Entries.size(); ++row)
    if (table_.Entries[row].Id == id) StringGridSchedule->selectRow(row);
}

bool TFormScheduled::Commit(const TTimetable& changed) {
  QString reason, warning;
  if (!SaveTimetable(changed, path_, systemd_, &reason, &warning)) {
    platform::Dialogs().ShowWarning({reason});
    return false;
  }
  table_ = changed;
  ShowTimetable();
  if (!warning.isEmpty()) Notice(warning);
  agent_.Rearm();
  return true;
}

void TFormScheduled::BitBtnAddClick() {
  TDialogScheduleEntry dialog(this);
  TTimetable changed = table_;
  dialog.Check = [&changed](const TScheduleEntry& e, QString* reason) {
    TScheduleEntry added = e;
    return changed.Add(added, QDateTime::currentDateTime(), reason);
  };
  if (dialog.exec() != QDialog::Accepted) return;
  const qint32 id = changed.NextId - 1;
  if (Commit(changed)) Select(id);
}

void TFormScheduled::BitBtnEditClick() {
  const qint32 id = SelectedId();
  const TScheduleEntry* entry = table_.Find(id);
  if (!entry) return platform::Dialogs().ShowWarning({settings::GetErrorMessage(2001)});
  // The occurrence handed to the program is recording now.
  const auto running = entry->OccurrenceAt(QDateTime::currentDateTime());
  if (running && entry->LastFired.isValid() && entry->LastFired >= *running)
    return platform::Dialogs().ShowWarning({settings::GetErrorMessage(2002)});
  TDialogScheduleEntry dialog(this);
  dialog.SetEntry(*entry);
  TTimetable changed = table_;
  dialog.Check = [&changed](const TScheduleEntry& e, QString* reason) {
    return changed.Replace(e, QDateTime::currentDateTime(), reason);
  };
  if (dialog.exec() == QDialog::Accepted && Commit(changed)) Select(id);
}

void TFormScheduled::BitBtnDeleteClick() {
  TTimetable changed = table_;
  if (!changed.Remove(SelectedId())) return platform::Dialogs().ShowWarning({settings::GetErrorMessage(2001)});
  Commit(changed);
}

void TFormScheduled::itemImportXmltvClick() {
  const QString file = QFileDialog::getOpenFileName(this, Shown("SchedXmltvTitle", "Import XMLTV listing"), {},
                                                    "XMLTV (*.xml *.xmltv);;" + Shown("SchedAllFiles", "All files") +
                                                        " (*)");
  if (!file.isEmpty()) ImportXmltv(file, true);
}

int TFormScheduled::ImportXmltv(const QString& file, bool ask, const QString& title) {
  QFile in(file);
  QList<TXmltvProgramme> programmes;
  QString reason;
  if (!in.open(QIODevice::ReadOnly)) reason = Shown("SchedCannotRead", "Cannot read %1").arg(file);
  if (!reason.isEmpty() || !ParseXmltv(in.readAll(), programmes, &reason)) {
    platform::Dialogs().ShowWarning({reason});
    return 0;
  }
  TXmltvImport import;
  if (ask) {
    TDialogXmltvImport dialog(programmes, NamedProgramChannels(), this);
    if (dialog.exec() != QDialog::Accepted) return 0;
    import = dialog.Chosen();
  } else {
    import = EntriesOfProgrammes(programmes, NamedProgramChannels(), title);
  }
  TTimetable changed = table_;
  int added = 0;
  for (TScheduleEntry& e : import.Entries) {
    if (changed.Add(e, QDateTime::currentDateTime(), &reason)) ++added;
    else import.Skipped << e.BaseName + ": " + reason;
  }
  if (added && !Commit(changed)) return 0;
  Notice(Shown("SchedAdded", "%1 programme(s) added.").arg(added) +
         (import.Skipped.isEmpty() ? QString() : ' ' + Shown("SchedLeftOut", "Left out: %1").arg(import.Skipped.join("; "))));
  return added;
}

void TFormScheduled::itemExitClick() {
  const QDateTime now = QDateTime::currentDateTime();
  QDateTime next;
  // Without timers nothing records once the scheduler ends.
  if (!systemd_.Available() && table_.NextToFire(now, &next) &&
      platform::Dialogs().MessageBox(settings::GetErrorMessage(2007), windowTitle(),
                                     platform::MsgButtons::YesNo) != platform::MsgResult::Yes)
    return;
  exiting_ = true;
  close();
  QCoreApplication::quit();
}

void TFormScheduled::closeEvent(QCloseEvent* event) {
  event->accept();
  // With timers the scheduler may end; without them it stays to start the recordings.
  if (exiting_) return;
  QDateTime next;
  if (systemd_.Available() || !table_.NextToFire(QDateTime::currentDateTime(), &next)) QCoreApplication::quit();
}

}  // namespace pvx::scheduled
