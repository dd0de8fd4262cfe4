// The play-list dialogs driven through their widgets: the Playback dialog over a Done list of
// real files, and the Play List pop-up over a player that refuses "bad" files.

#include <gtest/gtest.h>

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "playback/FormPlayListMenu.h"
#include "playback/FormPlayback.h"
#include "playback/PlaybackInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::playback;
using platform::MsgResult;

namespace {

QStringList Rows(const QListWidget& list) {
  QStringList rows;
  for (int i = 0; i < list.count(); ++i) rows << list.item(i)->text();
  return rows;
}

// A widget double-click is a click followed by the double-click event.
void DoubleClick(QWidget* viewport, QPoint pos) {
  QTest::mouseClick(viewport, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, pos);
}

// Six recordings rec0.mpg (row 0) to rec5.mpg (row 5) in the program folder.
struct PlaybackDialog : ::testing::Test {
  PlaybackDialog() {
    for (int i = 5; i >= 0; --i) {
      test::WriteFile(Path(i), "x");
      auto item = std::make_unique<TPlaybackItem>();
      item->FilePath = Path(i);
      info.AddItem(item);
    }
    form = std::make_unique<TFormPlayback>(&info);
    form->show();
  }
  static QString Path(int i) { return test::Home() + QString("rec%1.mpg").arg(i); }
  QTableWidget& Grid() { return *test::Child<QTableWidget>(*form, "StringGridDoneList"); }
  QListWidget& Box() { return *test::Child<QListWidget>(*form, "ListBoxPlayback"); }
  void Click(const char* button) { QTest::mouseClick(test::Child<QPushButton>(*form, button), Qt::LeftButton); }
  QPoint Cell(int row, int column = 0) {
    return Grid().visualRect(Grid().model()->index(row, column)).center();
  }
  void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}, int column = 0) {
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, modifiers, Cell(row, column));
  }

  TPlaybackInfo info;
  std::unique_ptr<TFormPlayback> form;
};

// No column cuts its entries or its header short (a long folder stays bounded at 360 pixels).
TEST_F(PlaybackDialog, TheColumnsShowTheirWholeText) {
  for (int c = 0; c < Grid().columnCount(); ++c) {
    const int entries = static_cast<const QAbstractItemView&>(Grid()).sizeHintForColumn(c);
    const int needed = std::max(entries, Grid().horizontalHeader()->sectionSizeHint(c));
    EXPECT_GE(Grid().columnWidth(c), std::min(needed, 360)) << c;
  }
}

TEST_F(PlaybackDialog, AddTakesMarkedAndCurrentRowsFromTheLastUpOnce) {
  ClickRow(1, Qt::ControlModifier);
  ClickRow(4, Qt::ControlModifier);
  ClickRow(2);
  ASSERT_TRUE(form->IsMarked(1) && form->IsMarked(4) && !form->IsMarked(2));
  Click("BitBtnAdd");
  EXPECT_EQ(Rows(Box()), QStringList({Path(4), Path(2), Path(1)}));
  EXPECT_TRUE(form->MarksClear());

  // The same recordings again, by button and by double-click, are not listed twice.
  Click("BitBtnAdd");
  QList<int> counts;
  for (int row : {1, 0}) {
    DoubleClick(Grid().viewport(), Cell(row));
    counts << Box().count();
  }
  EXPECT_EQ(counts, QList<int>({3, 4}));
}

TEST_F(PlaybackDialog, DeleteRemovesTheRowsAndOnlyYesRemovesTheFiles) {
  for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
    SCOPED_TRACE(answer == MsgResult::Yes ? "Yes" : "No");
    const QString marked = info.Items[0]->FilePath, current = info.Items[2]->FilePath;
    ClickRow(2);
    Click("BitBtnAdd");
    ClickRow(0, Qt::ControlModifier);
    ClickRow(2);
    test::Dialogs().BoxAnswers = {answer};
    Click("BitBtnDelete");
    EXPECT_EQ(test::Dialogs().Boxes.back().text, "Delete file(s)?");
    EXPECT_EQ(QFile::exists(marked) && QFile::exists(current), answer == MsgResult::No);
    EXPECT_TRUE(info.Items[0]->FilePath != marked && info.Items[1]->FilePath != current);
    EXPECT_EQ(QList<int>({Grid().rowCount(), Box().count()}), QList<int>({int(info.Items.size()), 0}));
  }
  EXPECT_EQ(info.Items.size(), 2u);
}

TEST_F(PlaybackDialog, RenameKeepsTheFileInItsFolder) {
  const std::pair<QString, bool> rows[] = {
      {"../out.mpg", false}, {"sub/x.mpg", false}, {"..", false}, {"", false}, {"news.mpg", true}};
  ClickRow(0);
  Click("BitBtnAdd");
  for (const auto& [name, taken] : rows) {
    SCOPED_TRACE(name.toStdString());
    const QString before = info.Items[0]->FilePath;
    ClickRow(0, {}, 3);  // the name is edited whichever cell is current
    Click("BitBtnRename");
    auto& editor = *test::Child<QLineEdit>(*form, "EditItem");
    ASSERT_TRUE(editor.isVisible());
    editor.setText(name);
    QTest::keyClick(&editor, Qt::Key_Return);
    EXPECT_TRUE(editor.isHidden());
    const QString expected = taken ? test::Home() + name : before;
    EXPECT_EQ(info.Items[0]->FilePath, expected);
    EXPECT_EQ(Grid().item(0, 0)->text(), expected.mid(expected.lastIndexOf('/') + 1));
    EXPECT_TRUE(QFile::exists(expected));
    EXPECT_EQ(QFile::exists(before), !taken);
  }
  EXPECT_FALSE(QFile::exists(test::Home() + "../out.mpg"));
  EXPECT_EQ(Rows(Box()), QStringList(test::Home() + "news.mpg"));
  Click("BitBtnRename");  // Escape leaves the name as it was
  test::Child<QLineEdit>(*form, "EditItem")->setText("other.mpg");
  QTest::keyClick(test::Child<QLineEdit>(*form, "EditItem"), Qt::Key_Escape);
  EXPECT_EQ(info.Items[0]->FilePath, test::Home() + "news.mpg");
  EXPECT_TRUE(form->isVisible() && test::Child<QLineEdit>(*form, "EditItem")->isHidden());
}

// A vanished recording is reported and dropped. The Recent tab adds its current file and a
// double-clicked one, and drops a vanished one too; the buttons for recordings are off there.
TEST_F(PlaybackDialog, VanishedRecordingsAndRecentFilesAreDroppedAndTheOthersAdded) {
  QFile::remove(Path(3));
  ClickRow(3);
  Click("BitBtnAdd");
  EXPECT_EQ(QList<int>({int(info.Items.size()), Grid().rowCount(), Box().count()}), QList<int>({5, 5, 0}));
  const QString gone = test::Home() + "gone.mpg";
  info.RecentFiles = {Path(5), gone, Path(0)};
  form = std::make_unique<TFormPlayback>(&info);  // the Recent tab is filled when it opens
  form->show();
  auto& recent = *test::Child<QTableWidget>(*form, "StringGridRecentPlayList");
  test::Child<QTabWidget>(*form, "PageControlPlayList")->setCurrentIndex(1);
  for (const char* button : {"BitBtnDelete", "BitBtnDeleteAll", "BitBtnRename"})
    EXPECT_FALSE(test::Child<QPushButton>(*form, button)->isEnabled()) << button;
  Click("BitBtnAdd");
  for (int row : {2, 1})
    DoubleClick(recent.viewport(), recent.visualRect(recent.model()->index(row, 0)).center());
  EXPECT_EQ(Rows(Box()), QStringList({Path(5), Path(0)}));
  EXPECT_EQ(info.RecentFiles, QStringList({Path(5), Path(0)}));
  EXPECT_EQ(recent.rowCount(), 2);
  const QString vanished = " is no more existing, delete it...";
  EXPECT_EQ(test::Dialogs().Warnings, (std::vector<QStringList>{{Path(3) + vanished}, {gone + vanished}}));
}

// Delete All empties the Done list, keeping the files on No; the Delete key and Clear empty the
// play list, which OK then refuses.
TEST_F(PlaybackDialog, DeleteAllClearTheDeleteKeyAndOk) {
  for (int row : {0, 1, 2}) {
    ClickRow(row);
    Click("BitBtnAdd");
  }
  Box().setCurrentRow(1);
  QTest::keyClick(&Box(), Qt::Key_Delete);
  EXPECT_EQ(Rows(Box()), QStringList({Path(0), Path(2)}));
  Click("BitBtnClear");
  EXPECT_EQ(Box().count(), 0);
  test::Dialogs().BoxAnswers = {MsgResult::No};
  Click("BitBtnDeleteAll");
  EXPECT_EQ(test::Dialogs().Boxes.back().text, "Delete all file?");
  EXPECT_TRUE(info.Items.empty() && Grid().rowCount() == 1 && Grid().item(0, 0)->text().isEmpty());
  EXPECT_TRUE(QFile::exists(Path(0)));
  const size_t asked = test::Dialogs().Boxes.size();
  for (const char* button : {"BitBtnDelete", "BitBtnDeleteAll", "BitBtnRename"}) Click(button);  // nothing to do
  EXPECT_TRUE(test::Dialogs().Boxes.size() == asked && test::Child<QLineEdit>(*form, "EditItem")->isHidden());

  // OK refuses the empty play list, and hands over an imported one.
  Click("BitBtnOK");
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_EQ(test::Dialogs().Warnings, std::vector<QStringList>{{"No items to playback"}});

  form->OpenDialog = [](const QString& filter) {
    EXPECT_EQ(filter, "Mpeg files (*.mpg;*.mpeg)|*.mpg;*.mpeg|AVI files (*.avi)|*.avi");
    return QStringList{"/a.mpg", "/b.avi", "/A.MPG"};
  };
  Click("BitBtnImport");
  Click("BitBtnOK");
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(info.PlayList, QStringList({"/A.MPG", "/b.avi"}));
}

// A play list of four entries, "c" playing, in the one pop-up; the log holds every file tried.
struct PlayListPopup : ::testing::Test, IFilePlayer {
  PlayListPopup() {
    info.FilePlayer = this;
    info.PlayList = {"/m/a.mpg", "/m/bad.mpg", "/m/c.mpg", "/m/d.mpg"};
    info.OnPlay = [this](TPlaybackInfo&, int index) { menu->OnPlay(index); };
    ShowPlayListMenu(info);
    menu = PlayListMenu();
    info.PlayIndex(2);
    log.clear();
  }
  ~PlayListPopup() override { delete menu; }
  bool PlayFile(const QString& path) override { return log << path, !path.contains("bad"); }

  QListWidget& List() { return *test::Child<QListWidget>(*menu, "ListBoxPlaybak"); }
  void Click(const char* button) { QTest::mouseClick(test::Child<QToolButton>(*menu, button), Qt::LeftButton); }

  TPlaybackInfo info;
  QPointer<TFormPlayListMenu> menu;
  QStringList log;
};

// Next and Previous wrap at both ends, and start from either end when nothing plays; the keys step
// too.
TEST_F(PlayListPopup, StepsThroughTheListAndFollowsThePlayingRow) {
  EXPECT_EQ(Rows(List()), QStringList({"a.mpg", "bad.mpg", "c.mpg", "d.mpg"}));
  // CurrentIndex, next (else previous), the entry started
  const std::tuple<int, bool, int> rows[] = {{-1, true, 0},  {3, true, 0},  {1, true, 2},
                                             {-1, false, 3}, {0, false, 3}, {3, false, 2}};
  for (const auto& [current, next, expected] : rows) {
    SCOPED_TRACE(testing::Message() << current << (next ? " next" : " previous"));
    info.CurrentIndex = current;
    log.clear();
    Click(next ? "SbtnNext" : "SbtnPrevious");
    EXPECT_EQ(log, QStringList(info.PlayList[expected]));
    EXPECT_EQ(std::pair(info.CurrentFile, List().currentRow()), std::pair(info.PlayList[expected], expected));
  }
  log.clear();  // "c" plays again, as at the start
  EXPECT_EQ(List().currentRow(), 2);
  QTest::keyClick(&List(), Qt::Key_Down);
  Click("SbtnNext");
  EXPECT_EQ(log, QStringList({"/m/d.mpg", "/m/a.mpg"}));
  EXPECT_EQ(List().currentRow(), 0);
  EXPECT_EQ(info.RecentFiles, QStringList({"/m/d.mpg", "/m/a.mpg", "/m/c.mpg"}));
  QTest::keyClick(&List(), Qt::Key_Up);
  EXPECT_EQ(List().currentRow(), 3);

  // The end of a file plays the next one from the event loop; a refused one leaves both lists.
  menu->PostEndOfStream();
  ASSERT_TRUE(test::WaitUntil([&] { return log.size() == 4; }));
  info.CurrentIndex = 0;
  Click("SbtnNext");
  EXPECT_EQ(log.mid(3), QStringList({"/m/a.mpg", "/m/bad.mpg"}));
  EXPECT_EQ(Rows(List()), QStringList({"a.mpg", "c.mpg", "d.mpg"}));
  // The entry after the failed one plays next; recent files ignore case.
  info.RecentFiles = {"/M/D.MPG"};
  Click("SbtnNext");
  EXPECT_EQ(log.mid(5), QStringList("/m/d.mpg"));
  EXPECT_EQ(info.RecentFiles, QStringList("/M/D.MPG"));
  EXPECT_FALSE(info.PlayIndex(-1) || info.PlayIndex(int(info.PlayList.size())));
  EXPECT_EQ(log.size(), 6) << "nothing outside the list was tried";
}

// A double-clicked entry that is refused leaves the list.
TEST_F(PlayListPopup, DeleteRefusesThePlayingEntryAndKeepsItsPlace) {
  Click("SbtnDelete");
  EXPECT_EQ(test::Dialogs().Warnings.back(), QStringList("Cannot delete current playback item..."));
  EXPECT_EQ(info.PlayList.size(), 4);

  // Removing an entry above the playing one leaves "c" playing, so Next plays "d".
  List().setCurrentRow(0);
  Click("SbtnDelete");
  EXPECT_EQ(Rows(List()), QStringList({"bad.mpg", "c.mpg", "d.mpg"}));
  EXPECT_EQ(info.PlayList.size(), 3);
  Click("SbtnNext");
  EXPECT_EQ(log, QStringList("/m/d.mpg"));
  DoubleClick(List().viewport(), List().visualItemRect(List().item(0)).center());
  EXPECT_EQ(log, QStringList({"/m/d.mpg", "/m/bad.mpg"}));
  EXPECT_EQ(Rows(List()), QStringList({"c.mpg", "d.mpg"}));
}

// The pop-up drags by the free area of its button panel, and Exit closes it for good.
TEST_F(PlayListPopup, OpensClosesAndDragsByItsFreeArea) {
  ASSERT_TRUE(menu && menu->isVisible());
  auto& panel = *test::Child<QWidget>(*menu, "PanelButtons");
  const QPoint start = menu->pos(), grip(84, panel.height() / 2);
  QTest::mousePress(&panel, Qt::LeftButton, {}, grip);
  QTest::mouseMove(&panel, grip + QPoint(30, 20));
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, grip + QPoint(30, 20));
  EXPECT_EQ(menu->pos(), start + QPoint(30, 20));
  Click("SbtnExit");
  EXPECT_EQ(PlayListMenu(), nullptr);
  ASSERT_TRUE(test::WaitUntil([&] { return menu.isNull(); }));
}

}  // namespace
