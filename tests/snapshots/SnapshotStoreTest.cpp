// The snapshot store and its two windows: pages, keys and clicks, saving by name and filter,
// deleting, the viewer's copy, and the browser the program brings up on a new picture.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/FormTestSupport.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "snapshots/FormShowImage.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/PictureSaveDialog.h"
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
  TFormSnapshotList& List() { return list_ ? *list_ : *(list_ = std::make_unique<TFormSnapshotList>(store_, nullptr)); }
  void Answer(const QString& name, int filter) {
    SetPictureChooser([=](QWidget*, const QString& proposed, const QStringList& filters) {
      EXPECT_EQ(proposed, "Snapshot");
      return TPictureChoice{name.isEmpty() ? name : test::Home() + name, filter};
    });
  }
  bool Enabled(const char* button) { return List().Button(button)->isEnabled(); }
  void TearDown() override { list_.reset(), SetPictureChooser({}); }

  TSnapshotInfo store_;
  std::unique_ptr<TFormSnapshotList> list_;
};

}  // namespace

TEST_F(Snapshots, TwelvePicturesMakeThreePagesOfFiveWalkedByKeysAndClicks) {
  Take(12);
  List().show();
  {  // Enter views the selected picture, the newest at first.
    test::ModalAnswer<TFormShowImage> viewer([](TFormShowImage& shown) {
      EXPECT_EQ(shown.windowTitle(), "51 X 30");
      shown.reject();
    });
    QTest::keyClick(&List(), Qt::Key_Return);
  }
  EXPECT_FALSE(List().Slot(4)->pixmap().isNull());
  EXPECT_EQ(List().LabelPageIndicator()->text(), "1/3");
  EXPECT_TRUE(!Enabled("SpeedButtonPreviousPage") && Enabled("SpeedButtonNextPage"));
  QTest::mouseClick(List().Button("SpeedButtonNextPage"), Qt::LeftButton);
  QTest::keyClick(&List(), Qt::Key_Right);
  QTest::keyClick(List().Button("SpeedButtonSave"), Qt::Key_Right);  // the window has the keys first
  EXPECT_EQ(List().SelectedIndex, 7);
  List().NextPage();  // 12 is past the end: 11, then the page's first
  EXPECT_EQ(std::tuple(List().SelectedIndex, List().LabelPageIndicator()->text()), std::tuple(10, QString("3/3")));
  EXPECT_FALSE(Enabled("SpeedButtonNextPage") || List().Item("itemNextPage")->isEnabled());
  EXPECT_EQ(List().Slot(1)->pixmap().toImage().pixelColor(50, 50), store_.Images.at(11).pixelColor(0, 0));
  EXPECT_TRUE(List().Slot(2)->pixmap().isNull());
  QTest::mouseClick(List().Slot(3), Qt::LeftButton);  // an empty slot is not selected
  QTest::keyClick(&List(), Qt::Key_Left);  // wraps to the last filled slot of the page
  EXPECT_EQ(List().SelectedIndex, 11);
  QTest::keyClick(&List(), Qt::Key_Right);  // and back to the first
  EXPECT_EQ(List().SelectedIndex, 10);
  List().PreviousPage();
  EXPECT_EQ(List().SelectedIndex, 5);
  EXPECT_TRUE(Enabled("SpeedButtonPreviousPage"));
  // A left click selects a slot, another button does not.
  QTest::mouseClick(List().Slot(1), Qt::LeftButton);
  QTest::mouseClick(List().Slot(3), Qt::RightButton);
  EXPECT_EQ(List().SelectedIndex, 6);
  EXPECT_TRUE(List().FrameShown && List().FrameRect == List().Slot(1)->geometry().adjusted(-1, -1, 1, 1));
  QTest::keyClick(&List(), Qt::Key_Escape);  // closes the browser
  EXPECT_FALSE(List().isVisible());
}

TEST_F(Snapshots, DeletingKeepsTheSelectionOnAFilledSlotAndTheStoreRefusesIndexesOutside) {
  Take(8);
  List().NextPage();  // 5, 6 and 7
  QTest::keyClick(&List(), Qt::Key_Left);
  EXPECT_EQ(List().SelectedIndex, 7);
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_EQ(QList<int>({store_.Count(), List().SelectedIndex}), QList<int>({7, 6}));
  EXPECT_EQ(List().FrameRect, List().Slot(1)->geometry().adjusted(-1, -1, 1, 1));
  store_.DeleteImage(-1), store_.DeleteImage(7);
  const QString file = test::Home() + "a.bmp";
  EXPECT_EQ(QList<bool>({store_.SaveImage(6, file), store_.SaveImage(-1, file), store_.SaveImage(7, file),
                         WritePicture(QImage(), file), store_.SaveAllImages(test::Home() + "none/a.bmp")}),
            QList<bool>({true, false, false, false, false}));
  store_.DeleteImage(0);
  EXPECT_EQ(store_.Count(), 6);
  List().DeleteAll();
  EXPECT_EQ(QString("%1 %2 %3").arg(store_.Count()).arg(List().SelectedIndex)
                .arg(List().LabelPageIndicator()->text()),
            "0 -1 0/0");
  for (const char* button : {"SpeedButtonViewDetail", "SpeedButtonDelete", "SpeedButtonDeleteAll"})
    EXPECT_FALSE(Enabled(button)) << button;
  EXPECT_FALSE(List().FrameShown);
  // Pictures taken after all were deleted show, the first selected; of the last two, deleting
  // the second frames the first.
  Take(2);
  List().Normalise(), List().Fill();
  EXPECT_TRUE(List().SelectedIndex == 0 && !List().Slot(0)->pixmap().isNull());
  List().SelectedIndex = 1, List().Fill();
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_TRUE(List().FrameShown && List().FrameRect == List().Slot(0)->geometry().adjusted(-1, -1, 1, 1));
}

TEST_F(Snapshots, SaveNamesChooseTheFormatByExactExtensionAndSaveAllNumbersFromTheNewest) {
  Take(3);
  EXPECT_FALSE(Enabled("SpeedButtonNextPage") || Enabled("SpeedButtonPreviousPage")) << "one page";
  // Typed name, filter, file written, its format.
  const std::tuple<QString, int, QString, QByteArray> rows[] = {{"upper.JPG", 0, "upper.JPG", "bmp"},
                                                               {"long.jpeg", 1, "long.jpeg", "jpeg"},
                                                               {"short.jpg", 1, "short.jpg", "jpeg"},
                                                               {"plain", 1, "plain.bmp", "bmp"},
                                                               {"plain", 0, "plain.jpg", "jpeg"}};
  for (const auto& [typed, filter, file, format] : rows) {
    Answer(typed, filter);
    List().Save();
    QImageReader reader(test::Home() + file);
    EXPECT_EQ(reader.format(), format) << file.toStdString();
    EXPECT_EQ(reader.read().size(), QSize(42, 30)) << file.toStdString();
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  // Baseline colour JPEG, numbered from the newest.
  Answer("Snapshot", 0);
  List().SaveAll();
  for (int i = 0; i < 3; ++i) {
    const QString file = test::Home() + QString("Snapshot%1.jpg").arg(i);
    const QByteArray bytes = test::ReadFile(file);
    EXPECT_TRUE(bytes.contains("\xFF\xC0") && !bytes.contains("\xFF\xC2")) << "baseline";
    const QImage read(file);
    EXPECT_EQ(read.size(), QSize(42 - i, 30));
    const QColor expected = Picture(2 - i).pixelColor(5, 5), got = read.pixelColor(5, 5);
    EXPECT_TRUE(qAbs(got.red() - expected.red()) < 8 && qAbs(got.blue() - expected.blue()) < 8)
        << "in colour";
  }
  EXPECT_FALSE(QFile::exists(test::Home() + "Snapshot3.jpg"));
  EXPECT_EQ(QStringList({NumberedName("a.jpg/shot", 2), NumberedName("s.jpg", 0), NumberedName("shot", 1)}),
            QStringList({"a.jpg/shot2", "s0.jpg", "shot1"}));
  // No name: said, for one picture and for all.
  Answer({}, 0);
  List().Save();
  List().SaveAll();
  EXPECT_EQ(test::Dialogs().Warnings, std::vector<QStringList>(2, {"Cannot set output filename..."}));
}

TEST_F(Snapshots, TheViewerShowsThePictureCopiesAndSavesIt) {
  QImage picture(320, 240, QImage::Format_RGB32);
  picture.fill(Qt::darkCyan);
  TFormShowImage viewer(picture);
  EXPECT_EQ(viewer.windowTitle(), "320 X 240");
  EXPECT_TRUE(viewer.size() == QSize(640, 480 + viewer.ToolBarHeight()) && viewer.ToolBarHeight() > 10)
      << "the small picture doubled below the buttons";
  viewer.BitBtnCopyToClipperBoard()->click();
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(320, 240));
  Answer("viewed.jpeg", 1);
  viewer.BitBtnSave()->click();
  EXPECT_EQ(QImage(test::Home() + "viewed.jpeg").size(), QSize(320, 240));
  viewer.show();
  QTest::keyClick(&viewer, Qt::Key_Escape);
  EXPECT_FALSE(viewer.isVisible());
}

TEST_F(Snapshots, TheProgramsBrowserIsOneWindowShownAgainOnItsPagesFirstPicture) {
  Take(7);
  TSnapshotBrowser shown(store_);
  TFormSnapshotList* browser = shown.Show(nullptr);
  ASSERT_TRUE(browser == shown.Form() && browser->isVisible());
  browser->NextPage();
  browser->close();
  store_.InsertSnapshot(Picture(7));
  EXPECT_TRUE(shown.Show(nullptr) == browser && browser->isVisible());
  EXPECT_EQ(QString("%1 %2").arg(browser->SelectedIndex).arg(browser->LabelPageIndicator()->text()), "5 2/2")
      << "the page's first picture";
  EXPECT_FALSE(browser->Slot(0)->pixmap().isNull());
  delete browser;
  EXPECT_EQ(shown.Form(), nullptr);
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
