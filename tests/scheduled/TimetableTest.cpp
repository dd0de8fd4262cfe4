// The timetable: its file round trip, refusal of overlapping or unusable entries, and which
// occurrence fires next.

#include <gtest/gtest.h>

#include "Timetable.h"
#include "support/TestEnvironment.h"

using namespace pvx::scheduled;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0));  // a Monday

TScheduleEntry At(const QString& start, qint32 minutes, TRepeat repeat = TRepeat::None) {
  TScheduleEntry e;
  e.Start = QDateTime::fromString(start, "yyyy-MM-dd HH:mm");
  e.DurationSeconds = minutes * 60;
  e.Repeat = repeat;
  return e;
}

}  // namespace

TEST(Timetable, FileRoundTripKeepsEveryField) {
  TTimetable table;
  table.WakeSystem = true;
  TScheduleEntry a = At("2026-12-08 20:00", 45, TRepeat::Weekly);
  a.Source = pvx::handoff::rsCable, a.Channel = 37, a.Format = 7, a.CaptureWidth = 720;
  a.CaptureHeight = 576, a.Quality = 4, a.VideoBitRateKbps = 3950, a.FrameRateCode = 3;
  a.AudioOption = 2, a.UseDateTimeName = false, a.BaseName = "Seven Sports";
  TScheduleEntry b = At("2026-12-09 06:30", 90);
  b.Source = pvx::handoff::rsFM, b.Channel = 4, b.AudioOption = 1;
  ASSERT_TRUE(table.Add(a, kNow, nullptr));
  ASSERT_TRUE(table.Add(b, kNow, nullptr));
  table.Find(a.Id)->Outcome = TOutcome::SourceUnavailable;
  table.Find(a.Id)->LastFired = a.Start;

  const QString path = pvx::test::Home() + TTimetable::kFileName;
  ASSERT_TRUE(table.Save(path));
  TTimetable back;
  ASSERT_EQ(back.Load(path), TTimetable::TLoad::Ok);
  EXPECT_EQ(back.Entries, table.Entries);
  EXPECT_TRUE(back.NextId == 3 && back.WakeSystem);
  EXPECT_EQ(back.ToJson(), table.ToJson());
}

TEST(Timetable, BadFilesAreReportedAndReadAsEmpty) {
  const QString path = pvx::test::Home() + TTimetable::kFileName;
  TTimetable table;
  EXPECT_EQ(table.Load(path), TTimetable::TLoad::Missing);
  const QByteArray good = R"({"kind":"oka-pvx-scheduled","version":1,"nextId":2,"entries":[)"
                          R"({"id":1,"start":"2026-12-08T20:00:00","duration":60,"repeat":"once",)"
                          R"("source":0,"channel":3,"format":1}]})";
  pvx::test::WriteFile(path, good);
  ASSERT_EQ(table.Load(path), TTimetable::TLoad::Ok);
  EXPECT_EQ(table.Entries.size(), 1);
  const std::pair<QByteArray, QByteArray> faults[] = {
      {"\"version\":1", "\"version\":2"}, {"\"repeat\":\"once\"", "\"repeat\":\"hourly\""},
      {"\"source\":0", "\"source\":6"},   {"\"start\":\"2026", "\"start\":\"x026"},
      {"}]}", "}"},                        {"\"kind\":\"oka-pvx-scheduled\"", "\"kind\":\"x\""}};
  for (const auto& [from, to] : faults) {
    pvx::test::WriteFile(path, QByteArray(good).replace(from, to));
    QString reason;
    EXPECT_EQ(table.Load(path, &reason), TTimetable::TLoad::Corrupt) << to.constData();
    EXPECT_TRUE(reason.startsWith("Scheduled agent setting file is corrupted")) << reason.toStdString();
    EXPECT_TRUE(table.Entries.isEmpty());
  }
}

TEST(Timetable, OverlapsAndUnusableEntriesAreRefusedWithAReason) {
  TTimetable table;
  TScheduleEntry news = At("2026-12-08 20:00", 60);                   // Tuesday 20:00-21:00
  TScheduleEntry morning = At("2026-12-08 07:00", 30, TRepeat::Daily);  // every day 07:00-07:30
  ASSERT_TRUE(table.Add(news, kNow, nullptr));
  ASSERT_TRUE(table.Add(morning, kNow, nullptr));
  // The reason of a refusal; nullptr: accepted (and removed again).
  const struct { TScheduleEntry entry; const char* reason; } rows[] = {
      {At("2026-12-08 20:30", 60), "Insert item is not allowed"},
      {At("2026-12-08 19:30", 31), "overlaps entry 1"},
      {At("2026-12-08 19:00", 60), nullptr},                    // ends as the news starts
      {At("2026-12-20 07:15", 10), "overlaps entry 2"},         // a day of the daily entry
      {At("2026-12-01 20:10", 5, TRepeat::Weekly), "overlaps entry 1"},  // Tuesdays, from before
      {At("2026-12-02 20:10", 5, TRepeat::Weekly), nullptr},    // Wednesdays
      {At("2026-12-07 06:50", 15, TRepeat::Daily), "overlaps entry 2"},
      {At("2026-12-08 21:00", 0), "No duration"},
      {At("2026-12-08 21:00", 24 * 60 + 1), "at most 24 hours"},
      {At("2026-12-07 11:00", 10), "starting time is too early"},
      {At("2026-12-06 12:00", 10, TRepeat::Daily), nullptr},    // repeats: a past first start
  };
  for (const auto& row : rows) {
    TScheduleEntry e = row.entry;
    QString reason;
    const bool added = table.Add(e, kNow, &reason);
    EXPECT_EQ(added, row.reason == nullptr) << e.Start.toString().toStdString();
    EXPECT_TRUE(!row.reason || reason.contains(row.reason)) << reason.toStdString();
    if (added) table.Remove(e.Id);
  }
  TScheduleEntry cable = At("2026-12-09 20:00", 10);
  cable.Source = pvx::handoff::rsCable, cable.Channel = 161;
  QString reason;
  EXPECT_FALSE(table.Add(cable, kNow, &reason));
  EXPECT_EQ(reason, "Channel 161 is not in the Cable list.");
  for (const char* name : {"../up", "a/b", ".."}) {  // a base name never leaves the recording folder
    TScheduleEntry named = At("2026-12-09 22:00", 10);
    named.UseDateTimeName = false, named.BaseName = name;
    EXPECT_FALSE(table.Add(named, kNow, &reason) || !reason.startsWith("The base name may not")) << name;
  }
  EXPECT_EQ(table.Entries.size(), 2) << "refusals change nothing";

  // An edit keeps its id and may not collide either.
  TScheduleEntry moved = *table.Find(news.Id);
  moved.Start = QDateTime(QDate(2026, 12, 9), QTime(7, 20));
  EXPECT_FALSE(table.Replace(moved, kNow, &reason));
  EXPECT_TRUE(reason.startsWith("New Edit item is not allowed")) << reason.toStdString();
  moved.Start = QDateTime(QDate(2026, 12, 9), QTime(8, 0));
  ASSERT_TRUE(table.Replace(moved, kNow, &reason));
  EXPECT_EQ(table.Find(news.Id)->Start, moved.Start);
}

TEST(Timetable, NextToFireSkipsOccurrencesAlreadyHandedOver) {
  TTimetable table;
  TScheduleEntry daily = At("2026-12-01 20:00", 30, TRepeat::Daily);
  TScheduleEntry once = At("2026-12-08 07:00", 30);
  ASSERT_TRUE(table.Add(daily, QDateTime(QDate(2026, 11, 30), QTime(0, 0)), nullptr));
  ASSERT_TRUE(table.Add(once, kNow, nullptr));
  QDateTime at;
  EXPECT_EQ(table.NextToFire(kNow, &at)->Id, daily.Id);
  EXPECT_EQ(at, QDateTime(QDate(2026, 12, 7), QTime(20, 0)));
  table.Find(daily.Id)->LastFired = at;
  EXPECT_TRUE(table.NextToFire(at, &at)->Id == once.Id && at == once.Start);
  EXPECT_EQ(daily.OccurrenceAt(QDateTime(QDate(2026, 12, 9), QTime(20, 29))),
            QDateTime(QDate(2026, 12, 9), QTime(20, 0)));
  EXPECT_FALSE(daily.OccurrenceAt(QDateTime(QDate(2026, 12, 9), QTime(20, 30))));
}
