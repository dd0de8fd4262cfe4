// The snapshot store and its two windows: pages, keys, saving by name and filter, deleting and
// the viewer's copy. (The language walk leaves pictures of both windows.)

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "snapshots/FormShowImage.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/PictureSaveDialog.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "snapshots/SnapshotInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

using namespace pvx::snapshots;
namespace test = pvx::test;

namespace {

// Picture i is 40 + i pixels wide, so a file tells which picture it holds.
QImage Picture(int i) {
  QImage image(40 + i, 30, QImage::Format_RGB32);
  image.fill(QColor::fromHsv((i * 37) % 360, 255, 230));
  return image;
}

class Snapshots : public ::testing::Test {
 protected:
  // `count` pictures, taken 0 first, so picture count - 1 is the newest (index 0).
  void Take(int count) {
    for (int i = 0; i < count; ++i) store_.InsertSnapshot(Picture(i));
  }
  TFormSnapshotList& List() { return list_ ? *list_ : *(list_ = std::make_unique<TFormSnapshotList>()); }
  void Answer(const QString& name, int filter) {
    SetPictureChooser([=](QWidget*, const QString& proposed, const QStringList& filters) {
      EXPECT_EQ(proposed, "Snapshot");
      return TPictureChoice{name.isEmpty() ? name : test::Home() + name, filter};
    });
  }
  bool Enabled(const char* button) { return List().Button(button)->isEnabled(); }
  void SetUp() override { SnapshotInfo = &store_; }
  void TearDown() override { list_.reset(), SnapshotInfo = nullptr, SetPictureChooser({}); }

  TSnapshotInfo store_;
  std::unique_ptr<TFormSnapshotList> list_;
};

}  // namespace

TEST_F(Snapshots, TwelvePicturesMakeThreePagesOfFive) {
  Take(12);
  List().show();
  EXPECT_EQ(List().PageCount, 3);
  EXPECT_EQ(List().LabelPageIndicator()->text(), "1/3");
  EXPECT_FALSE(Enabled("SpeedButtonPreviousPage"));
  EXPECT_TRUE(Enabled("SpeedButtonNextPage"));
  List().NextPage();
  QTest::keyClick(&List(), Qt::Key_Right);
  QTest::keyClick(&List(), Qt::Key_Right);
  EXPECT_EQ(List().SelectedIndex, 7);
  List().NextPage();  // 12 is past the end: 11, then the page's first
  EXPECT_EQ(List().SelectedIndex, 10);
  EXPECT_EQ(List().LabelPageIndicator()->text(), "3/3");
  EXPECT_FALSE(Enabled("SpeedButtonNextPage"));
  EXPECT_FALSE(List().Item("itemNextPage")->isEnabled());
  EXPECT_EQ(List().Slot(1)->pixmap().toImage().pixelColor(50, 50), store_.Images.at(11).pixelColor(0, 0));
  EXPECT_TRUE(List().Slot(2)->pixmap().isNull());
  QTest::keyClick(&List(), Qt::Key_Left);  // wraps to the last filled slot of the page
  EXPECT_EQ(List().SelectedIndex, 11);
  List().PreviousPage();
  EXPECT_EQ(List().SelectedIndex, 6);
  EXPECT_EQ(List().FrameRect, List().Slot(1)->geometry().adjusted(-1, -1, 1, 1));
}

TEST_F(Snapshots, DeletingKeepsTheSelectionOnAFilledSlot) {
  Take(8);
  List().NextPage();  // 5, 6 and 7
  QTest::keyClick(&List(), Qt::Key_Left);
  EXPECT_EQ(List().SelectedIndex, 7);
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_EQ(store_.Count(), 7);
  EXPECT_EQ(List().SelectedIndex, 6);
  EXPECT_EQ(List().FrameRect, List().Slot(1)->geometry().adjusted(-1, -1, 1, 1));
  List().DeleteAll();
  EXPECT_EQ(store_.Count(), 0);
  EXPECT_EQ(List().SelectedIndex, -1);
  EXPECT_EQ(List().LabelPageIndicator()->text(), "0/0");
  for (const char* button : {"SpeedButtonViewDetail", "SpeedButtonDelete", "SpeedButtonDeleteAll"})
    EXPECT_FALSE(Enabled(button)) << button;
}

TEST_F(Snapshots, SaveNamesChooseTheFormatByExactExtension) {
  Take(3);
  struct Row { QString typed; int filter; QString file; QByteArray format; };
  const Row rows[] = {{"upper.JPG", 0, "upper.JPG", "bmp"},
                      {"long.jpeg", 1, "long.jpeg", "jpeg"},
                      {"short.jpg", 1, "short.jpg", "jpeg"},
                      {"plain", 1, "plain.bmp", "bmp"},
                      {"plain", 0, "plain.jpg", "jpeg"}};
  for (const Row& row : rows) {
    Answer(row.typed, row.filter);
    List().Save();
    QImageReader reader(test::Home() + row.file);
    EXPECT_EQ(reader.format(), row.format) << row.file.toStdString();
    EXPECT_EQ(reader.read().size(), QSize(42, 30)) << row.file.toStdString();
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  Answer({}, 0);
  List().Save();
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains("Cannot set output filename..."));
}

TEST_F(Snapshots, SaveAllNumbersFromTheNewestAsBaselineColourJpeg) {
  Take(3);
  Answer("Snapshot", 0);
  List().SaveAll();
  for (int i = 0; i < 3; ++i) {
    const QString file = test::Home() + QString("Snapshot%1.jpg").arg(i);
    const QByteArray bytes = test::ReadFile(file);
    EXPECT_TRUE(bytes.contains("\xFF\xC0")) << "baseline frame header";
    EXPECT_FALSE(bytes.contains("\xFF\xC2")) << "not progressive";
    const QImage read(file);
    EXPECT_EQ(read.size(), QSize(42 - i, 30));
    const QColor expected = Picture(2 - i).pixelColor(5, 5), got = read.pixelColor(5, 5);
    EXPECT_TRUE(qAbs(got.red() - expected.red()) < 8 && qAbs(got.blue() - expected.blue()) < 8) << "in colour";
  }
  EXPECT_FALSE(QFile::exists(test::Home() + "Snapshot3.jpg"));
}

TEST_F(Snapshots, TheViewerShowsTheSelectedPictureAndCopiesIt) {
  QImage picture(320, 240, QImage::Format_RGB32);
  picture.fill(Qt::darkCyan);
  TFormShowImage viewer(picture);
  EXPECT_EQ(viewer.windowTitle(), "320 X 240");
  EXPECT_EQ(viewer.size(), QSize(320, 240 + viewer.ToolBarHeight()));
  viewer.BitBtnCopyToClipperBoard()->click();
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(320, 240));
  Answer("viewed.jpeg", 1);
  viewer.BitBtnSave()->click();
  EXPECT_EQ(QImage(test::Home() + "viewed.jpeg").size(), QSize(320, 240));
  viewer.show();
  QTest::keyClick(&viewer, Qt::Key_Escape);
  EXPECT_FALSE(viewer.isVisible());
}

TEST_F(Snapshots, TextsComeFromTheLanguage) {
  pvx::settings::TMultiLangInfo lang(test::SourceData() + "Language/Lang.cfg");
  pvx::settings::MultiLangInfo = &lang;
  Take(1);
  for (const char* language : {"German", "Chinese(simplified)"}) {
    lang.SetLanguage(language);
    List().ApplyLanguage();
    EXPECT_EQ(List().windowTitle(), lang.LookupCaption("Snapshot"));
    EXPECT_EQ(List().Item("itemDeleteAll")->text(), lang.LookupCaption("DeleteAll"));
    TFormShowImage viewer(Picture(0));
    EXPECT_EQ(viewer.BitBtnCopyToClipperBoard()->text(), lang.LookupCaption("Copy"));
  }
  pvx::settings::MultiLangInfo = nullptr;
}
