// The systemd units written for entries, and the import of an XMLTV listing onto the
// program's own channels.

#include <gtest/gtest.h>

#include <QDir>
#include <QTextStream>

#include "CommandLine.h"
#include "SystemdTimers.h"
#include "XmltvImport.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::scheduled;

namespace {

TScheduleEntry Entry(qint32 id, const QString& start, TRepeat repeat) {
  TScheduleEntry e;
  e.Id = id;
  e.Start = QDateTime::fromString(start, "yyyy-MM-dd HH:mm:ss");
  e.DurationSeconds = 600;
  e.Repeat = repeat;
  return e;
}

QString Unit(const QString& name) { return QString::fromUtf8(test::ReadFile(test::Home() + "units/" + name)); }

}  // namespace

TEST(ScheduledTimers, UnitFilesArmAndDisarmWithTheTimetable) {
  QStringList calls;
  TSystemd systemd;
  systemd.UnitFolder = test::Home() + "units/";
  systemd.SchedulerPath = "/opt/oka pvx/bin/Scheduled";
  systemd.Systemctl = [&](const QStringList& args) {
    calls << args.join(' ');
    return true;
  };
  TTimetable table;
  table.Entries = {Entry(3, "2026-12-08 20:00:00", TRepeat::None), Entry(4, "2026-12-09 06:30:15", TRepeat::Daily),
                   Entry(5, "2026-12-10 21:00:00", TRepeat::Weekly)};
  table.WakeSystem = true;
  ASSERT_TRUE(SyncTimers(table, systemd, nullptr));
  EXPECT_EQ(Unit("oka-pvx-sched-3.timer"),
            "[Unit]\nDescription=OKA PVX scheduled recording 3\n\n[Timer]\nOnCalendar=2026-12-08 20:00:00\n"
            "AccuracySec=1s\nWakeSystem=true\nUnit=oka-pvx-sched-3.service\n\n[Install]\nWantedBy=timers.target\n");
  EXPECT_TRUE(Unit("oka-pvx-sched-4.timer").contains("\nOnCalendar=*-*-* 06:30:15\n"));
  EXPECT_TRUE(Unit("oka-pvx-sched-5.timer").contains("\nOnCalendar=Thu *-*-* 21:00:00\n"));
  EXPECT_EQ(Unit("oka-pvx-sched-3.service"),
            "[Unit]\nDescription=OKA PVX scheduled recording 3\n\n[Service]\nType=simple\n"
            "Environment=\"OKA_PVX_HOME=" + qEnvironmentVariable("OKA_PVX_HOME") + "\"\n"
            "ExecStart=\"/opt/oka pvx/bin/Scheduled\" --fire 3\n");
  EXPECT_EQ(calls, QStringList({"daemon-reload",
                                "enable --now oka-pvx-sched-3.timer oka-pvx-sched-4.timer oka-pvx-sched-5.timer"}));

  // Entry 4 gone, 5 moved, waking no longer allowed for anyone.
  calls.clear();
  table.Entries.removeAt(1);
  table.Entries[1].Start = table.Entries[1].Start.addSecs(60);
  table.WakeSystem = false;
  ASSERT_TRUE(SyncTimers(table, systemd, nullptr));
  EXPECT_EQ(calls, QStringList({"disable --now oka-pvx-sched-4.timer", "daemon-reload",
                                "enable --now oka-pvx-sched-3.timer oka-pvx-sched-5.timer",
                                "restart oka-pvx-sched-3.timer oka-pvx-sched-5.timer"}));
  EXPECT_EQ(QDir(systemd.UnitFolder).entryList(QDir::Files),
            QStringList({"oka-pvx-sched-3.service", "oka-pvx-sched-3.timer", "oka-pvx-sched-5.service",
                         "oka-pvx-sched-5.timer"}));
  EXPECT_FALSE(Unit("oka-pvx-sched-5.timer").contains("WakeSystem"));
  EXPECT_TRUE(Unit("oka-pvx-sched-5.timer").contains("OnCalendar=Thu *-*-* 21:01:00"));

  // A refusing systemctl is reported.
  systemd.Systemctl = [](const QStringList&) { return false; };
  table.Entries[0].DurationSeconds = 60;
  QString reason;
  EXPECT_FALSE(SyncTimers(table, systemd, &reason));
  EXPECT_FALSE(reason.isEmpty());
}

TEST(ScheduledXmltv, ListingProgrammesBecomeEntriesOnChannelsOfTheSameName) {
  // The program's lists: "Seven Sports" is antenna 7, "News 24" is memory 2 (cable 30).
  settings::TChannelInfo channels;
  settings::TPreviewInfo preview(channels);
  *channels.ChannelRecord(false, 7) = {
      .Valid = true, .Frequency = 175250000, .Name = "Seven Sports", .Name2 = {}};
  *channels.ChannelRecord(true, 30) = {.Valid = true, .Frequency = 301250000, .Name = "News 24", .Name2 = {}};
  *channels.MemoryRecord(2) = {.Valid = true, .Source = 1, .Channel = 30, .Name = "news 24"};
  ASSERT_TRUE(settings::TChannelSettingsFile::Save(test::Home() + "QDVCR2.cfg", channels, preview));

  QList<TXmltvProgramme> programmes;
  ASSERT_TRUE(ParseXmltv(test::ReadFile(test::Fixture("scheduled/listing.xml")), programmes, nullptr));
  ASSERT_EQ(programmes.size(), 4);
  EXPECT_EQ(programmes[0].ChannelNames, QStringList({"Seven Sports", "7S"}));
  EXPECT_EQ(programmes[0].Title, "Football: Cup Final") << "the first title";
  EXPECT_EQ(programmes[0].Start.toUTC(), QDateTime(QDate(2026, 12, 8), QTime(19, 0), Qt::UTC));
  EXPECT_EQ(programmes[1].Start.toUTC(), QDateTime(QDate(2026, 12, 9), QTime(11, 30), Qt::UTC));
  EXPECT_EQ(programmes[2].Stop.toUTC(), QDateTime(QDate(2026, 12, 9), QTime(23, 0), Qt::UTC));

  const TXmltvImport import = EntriesOfProgrammes(programmes, NamedProgramChannels());
  ASSERT_EQ(import.Entries.size(), 2);
  const TScheduleEntry& football = import.Entries[0];
  EXPECT_EQ(std::tuple(football.Source, football.Channel, football.DurationSeconds),
            std::tuple(qint32(handoff::rsAntenna), 7, 6300));
  EXPECT_EQ(football.BaseName, "Football Cup Final");
  EXPECT_FALSE(football.UseDateTimeName);
  EXPECT_EQ(std::tuple(import.Entries[1].Source, import.Entries[1].Channel, import.Entries[1].BaseName),
            std::tuple(qint32(handoff::rsMemory), 2, QString("Morning News Weather")));
  ASSERT_EQ(import.Skipped.size(), 2);
  EXPECT_TRUE(import.Skipped[0].endsWith("no channel named Not Received Here"));
  EXPECT_TRUE(import.Skipped[1].endsWith("no valid start and stop"));

  // The command line picks by title and keeps the entries.
  QString out, err;
  QTextStream o(&out), e(&err);
  const QStringList args{"--import-xmltv", test::Fixture("scheduled/listing.xml"), "final"};
  EXPECT_EQ(RunCommandLine(args, TSystemd{}, o, e, QDateTime(QDate(2026, 12, 1), QTime(0, 0))).ExitCode, 0);
  EXPECT_EQ(out, "1\tFootball Cup Final\n");
  TTimetable table;
  ASSERT_EQ(table.Load(TTimetable::DefaultPath()), TTimetable::TLoad::Ok);
  ASSERT_EQ(table.Entries.size(), 1);
  EXPECT_EQ(table.Entries[0].Start, football.Start);
  // Again: the same programme now overlaps itself, so nothing is added.
  EXPECT_EQ(RunCommandLine(args, TSystemd{}, o, e, QDateTime(QDate(2026, 12, 1), QTime(0, 0))).ExitCode, 1);
  QList<TXmltvProgramme> none;
  QString reason;
  EXPECT_FALSE(ParseXmltv("<html><body/></html>", none, &reason));
  EXPECT_EQ(reason, "Not an XMLTV listing.");
}
