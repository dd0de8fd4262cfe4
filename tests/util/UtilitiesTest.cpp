// The utilities: folders and the folder dialog, the settings files' record I/O, the system
// services and product texts, time texts and OLE dates, and grid rows.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTableWidget>
#include <QVariantList>

#include "platform/LinuxSystemServices.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/DirDialog.h"
#include "util/Folders.h"
#include "util/GridRows.h"
#include "util/OEMInfo.h"
#include "util/RecordIO.h"
#include "util/Services.h"
#include "util/TimeFormat.h"
#include "util/WindowPlacement.h"

using namespace pvx;
using namespace pvx::util;

TEST(Folders, EnsureFolderMakesOneNewLevelOffReadOnlyMediaAndDialogsCleanTheChoice) {
  const QString home = test::Home();  // one level only
  EXPECT_EQ(QList<bool>({EnsureFolder(home), EnsureFolder(home + "Recordings"),
                         QFileInfo(home + "Recordings").isDir(), EnsureFolder(home + "a/b"),
                         QFileInfo::exists(home + "a"), EnsureFolder(QString())}),
            QList<bool>({true, true, true, false, false, false}));
  test::System().ReadOnlyPrefixes << home;  // refused even when the folder exists
  EXPECT_FALSE(EnsureFolder(home));
  // The folder dialog's choice is cleaned and kept, and browsing ends it with a slash.
  test::Dialogs().FolderAnswers = {"/" + QString(260, 'x'), "/" + QString(259, 'x'), "/srv/tv//clips", ""};
  TDirDialog dialog;
  dialog.Title = "Recording folder";
  const auto run = [&] { return QString::number(dialog.Execute()) + " " + dialog.Directory; };
  // A path over 260 bytes is refused; a cancel keeps the folder.
  EXPECT_EQ(QStringList({run(), run(), run(), run()}),
            QStringList({"0 ", "1 /" + QString(259, 'x'), "1 /srv/tv/clips", "0 /srv/tv/clips"}));
  // The root and a one-letter relative name take no slash; the last answer is a cancel.
  test::Dialogs().FolderAnswers = {"/", "x", "/media/video", "/media/video/", ""};
  for (const char* expected : {"/", "x", "/media/video/", "/media/video/", ""})
    EXPECT_EQ(BrowseFolder(nullptr), expected);
  const QStringList titles = test::Dialogs().FolderTitles;
  EXPECT_EQ(titles.value(0) + " " + QString::number(titles.size()), "Recording folder 9");
}

TEST(RecordIO, GoldenBytesReadBackInSequenceAndStringLengthsOutsideTheLimitReadAsEmpty) {
  const QString text = QString::fromUtf8("频道 Kanäle");  // UTF-8, length in bytes
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  EXPECT_TRUE(WriteInteger(out, 4505) && WriteInteger(out, -2) && WriteBoolean(out, true) &&
              WriteBoolean(out, false) && WriteDouble(out, 1.0) && WriteString(out, "ab") &&
              WriteString(out, "") && WriteDouble(out, 44900.75) && WriteString(out, text));
  // 4505, -2, true, false, 1.0, "ab", "": little-endian, booleans and lengths as integers.
  const QByteArray golden =
      QByteArray::fromHex("99110000 feffffff 01000000 00000000 000000000000f03f 020000006162 00000000");
  QByteArray bytes = out.data();
  EXPECT_EQ(bytes.left(golden.size()), golden);
  // Read back (a wrong text length would shift what follows); then a boolean is true for any
  // non-zero value, and a short read fills with zero.
  QBuffer in(&bytes.append(QByteArray::fromHex("000100003412")));
  in.open(QIODevice::ReadOnly);
  EXPECT_EQ(QVariantList({ReadInteger(in), ReadInteger(in), ReadBoolean(in), ReadBoolean(in), ReadDouble(in),
                          ReadString(in), ReadString(in), ReadDouble(in), ReadString(in), ReadBoolean(in),
                          ReadInteger(in), ReadInteger(in)}),
            QVariantList({4505, -2, true, false, 1.0, "ab", "", 44900.75, text, true, 0x1234, 0}));
  // A length beyond the limit reads as empty and its text is not skipped: the next read lands
  // inside it (a negative length carries none).
  for (auto [length, readsText] :
       {std::pair{512, true}, {513, false}, {600, false}, {-1, false}, {INT32_MIN, false}}) {
    QBuffer framed;
    framed.open(QIODevice::ReadWrite);
    WriteInteger(framed, length);
    framed.write(QByteArray(std::clamp(length, 0, 600), 'x'));
    WriteInteger(framed, 4359);
    framed.seek(0);
    EXPECT_EQ(ReadString(framed).size(), readsText ? length : 0) << length;
    EXPECT_EQ(ReadInteger(framed) == 4359, readsText || length < 0) << length;
  }
}

// With the system answers passed on, and the product texts below.
TEST(Services, FileVersionTextReadsTheVersionTheFileCarries) {
  test::System().PowerOffResult = false;
  EXPECT_EQ(QList<int>({DirectXVersion(), WindowsVersionClass(), PowerOff()}), QList<int>({9, 2, false}));
  OpenTVGuide();
  EXPECT_EQ(test::System().OpenedUrls, QStringList({kTVGuideAddress}));
  // This test program is a build of the program's code and carries its version.
  const platform::FileVersion v = platform::LinuxSystemServices().ProgramVersion();
  EXPECT_EQ(FileVersionText(QCoreApplication::applicationFilePath(), "%d.%d.%d.%d"),
            QString::asprintf("%d.%d.%d.%d", v.major, v.minor, v.release, v.build));
  const QByteArray marker(kVersionMarkerPrefix);
  const auto version = [](const QByteArray& bytes, const char* format = "%d.%d.%d.%d") {
    test::WriteFile(test::Home() + "other", bytes);
    return FileVersionText(test::Home() + "other", format);
  };
  // A bare prefix is passed over; a missing file has none.
  EXPECT_EQ(
      QStringList({version("junk" + marker + "7.8.9.10" + '\0' + "tail"),
                   version(marker + '\0' + marker + "2.0.1.3"), version(marker + "1.2"),
                   version("a file of another program"), version(""), version(marker + "4.5.6.7", "v%d-%d"),
                   FileVersionText(test::Home() + "missing", "%d.%d.%d.%d")}),
      QStringList({"7.8.9.10", "2.0.1.3", "", "", "", "v4-5", ""}));
  // Six lines of PInfo.cfg replace the texts, lines seven to ten name devices, fewer keep the
  // defaults; a title picture is found beside the program.
  const auto lines = [](const TOEMInfo& i) {
    return QStringList(
               {i.ProductName, i.MakerName, i.RightsText, i.VersionText, i.WebAddress, i.MailAddress}) +
           QStringList(i.DeviceNames.begin(), i.DeviceNames.end());
  };
  const QString six =
      "Vision TV\nVision\n(c) Vision Ltd\nV 2.5 \nhttps://vision.example/\nmailto:help@vision.example\n";
  test::WriteFile(test::Home() + "PInfo.cfg", six.section('\n', 0, 4).toUtf8());
  EXPECT_EQ(lines(TOEMInfo()), lines(TOEMInfo(QString())));
  test::WriteFile(test::Home() + "PInfo.cfg", (six + "Capture X\nCrossbar X\nTuner X\n").toUtf8());
  EXPECT_EQ(lines(TOEMInfo()),
            six.split('\n').mid(0, 6) + QStringList({"Capture X", "Crossbar X", "Tuner X", ""}));
  EXPECT_FALSE(TOEMInfo().HasTitleBitmap);
  test::WriteFile(test::Home() + "QTitle.bmp", "BM");
  EXPECT_TRUE(TOEMInfo().HasTitleBitmap);
}

TEST(TimeFormat, SecondsClockTextsSecondsBetweenBothWaysAndOleDates) {
  // Hours are not wrapped at 24, a negative count shows as 0, milliseconds are dropped.
  const QDateTime start(QDate(2026, 12, 6), QTime(9, 5, 7, 999));
  EXPECT_EQ(QStringList({FormatSeconds(3725), FormatSeconds(90000), FormatSeconds(-5), FormatClock(start)}),
            QStringList({"1:02:05", "25:00:00", "0:00:00", "9:05:07"}));
  EXPECT_EQ(QList<qint64>({SecondsBetween(start, start.addMSecs(-1999)),
                           SecondsBetween(start, start.addDays(2).addSecs(5))}),
            QList<qint64>({-1, 2 * 86400 + 5}));
  // OLE dates as they are defined.
  // clang-format off
  const std::tuple<QDate, QTime, double> oles[] = {{QDate(1899, 12, 30), QTime(0, 0), 0.0},
      {QDate(1899, 12, 30), QTime(6, 0), 0.25}, {QDate(1900, 1, 1), QTime(0, 0), 2.0},
      {QDate(2000, 1, 1), QTime(12, 0), 36526.5}, {QDate(2000, 1, 1), QTime(6, 0), 36526.25},
      {QDate(2026, 12, 6), QTime(21, 30, 15), 46362.896006944444},
      // Before the epoch the fraction still counts forward.
      {QDate(1899, 12, 29), QTime(6, 0), -1.25}};
  // clang-format on
  for (const auto& [date, time, ole] : oles) {
    EXPECT_NEAR(ToOleDate(QDateTime(date, time)), ole, 1e-9) << ole;
    EXPECT_EQ(FromOleDate(ole), QDateTime(date, time)) << ole;
  }
  // A fraction that rounds to a whole day is the next midnight.
  EXPECT_EQ(FromOleDate(2.9999999999), QDateTime(QDate(1900, 1, 2), QTime(0, 0)));
}

TEST(GridRows, DeleteMovesFollowingRowsUpAndClearsTheLastOneAsResetDoes) {
  QTableWidget grid(3, 2);  // rows a, b and c, each with its file
  for (int cell = 0; cell < 6; ++cell)
    grid.setItem(cell / 2, cell % 2,
                 new QTableWidgetItem(QChar('a' + cell / 2) + QString(cell % 2 ? ".mpg" : "")));
  const auto cells = [&] {
    QStringList out;
    for (int cell = 0; cell < grid.rowCount() * 2; ++cell) out << grid.item(cell / 2, cell % 2)->text();
    return out.join(' ');
  };
  for (int row : {3, -1, 0}) DeleteGridRow(grid, row);  // out of range changes nothing
  EXPECT_EQ(cells(), "b b.mpg c c.mpg");
  for (int row : {1, 0}) DeleteGridRow(grid, row);  // the only row is cleared, not removed
  EXPECT_EQ(cells(), " ");
  grid.item(0, 1)->setText("b.mpg");
  grid.setRowCount(2);
  ResetGrid(grid);
  EXPECT_EQ(cells(), " ");
}

// A window beside a picture it must leave free: the side asked first, else the other, else below
// or above it, else the side with more room (the fine-tuning dialog right first, the play-list
// pop-up left first).
TEST(WindowPlacement, BesideThePictureWhereTheScreenHasRoom) {
  const QRect screen(0, 0, 1280, 1024);
  const struct { QRect picture; QSize size; bool leftFirst; QPoint at; } rows[] = {  // pop-up rows 8 px apart
      {{400, 332, 480, 360}, {322, 83}, false, {880, 332}},   // right of it
      {{900, 332, 380, 360}, {322, 83}, false, {578, 332}},   // left
      {{0, 100, 1280, 360}, {322, 83}, false, {0, 460}},      // below
      {{0, 900, 1280, 124}, {322, 83}, false, {0, 817}},      // above
      {{400, 0, 480, 1024}, {758, 517}, false, {880, 0}},     // no room: the wider side
      {{400, 300, 480, 360}, {172, 333}, true, {220, 300}},   // left first
      {{100, 300, 480, 360}, {172, 333}, true, {588, 300}},   // none on the left
      {{0, 900, 1280, 124}, {172, 333}, true, {0, 567}}};     // none on either side: above
  for (const auto& r : rows) EXPECT_EQ(AsideFrom(r.picture, r.size, screen, r.leftFirst, r.leftFirst ? 8 : 0), r.at) << r.picture.x();
}
