// The command line's exit codes, and what firing an entry hands to the program: the relay file,
// then 3025 to a running program or the program started; the answers kept as outcomes; the
// systemd units written for entries, and the import of an XMLTV listing onto the program's own
// channels.

#include <gtest/gtest.h>

#include <QDir>
#include <QTextStream>

#include "CommandLine.h"
#include "HandOver.h"
#include "SchedulerAgent.h"
#include "SystemdTimers.h"
#include "XmltvImport.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::scheduled;
namespace ipc = pvx::platform::ipc;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0));

struct TRun { int code; QString out, err; qint32 fired; };

TRun Scheduled(const QStringList& args, const QDateTime& now = kNow) {
  QString out, err;
  QTextStream o(&out), e(&err);
  TSystemd none;  // no systemd: the timers have their own test
  const TCommandResult r = RunCommandLine(args, none, o, e, now);
  return {r.ExitCode, out, err, r.FiredId};
}

TTimetable Stored() {
  TTimetable table;
  table.Load(TTimetable::DefaultPath());
  return table;
}

handoff::TRelayRecord WrittenRelay() {
  handoff::TRelayRecord relay;
  EXPECT_EQ(handoff::ReadRelayFile(RelayPath(), relay, FormatNames().size()), handoff::TRelayError::None);
  return relay;
}

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

TEST(ScheduledCommandLine, ExitCodesAndOneLineReasons) {
  // What the run says: on stdout for 0, else on stderr.
  const struct { QStringList args; int code; const char* says; } rows[] = {
      {{"--add", "2026-12-08 20:00", "45", "antenna", "7", "DVD (PAL)"}, 0, "1\n"},
      {{"--add", "2026-12-08 20:44:59", "90s", "cable", "12"}, 1, "overlaps entry 1"},
      {{"--add", "2026-12-08 20:45", "1h30m", "fm", "3", "mp3"}, 0, "2\n"},
      {{"--add", "2026-12-09 20:00", "45", "satellite", "7"}, 1, "Not a source: satellite"},
      {{"--add", "2026-12-09 20:00", "0", "antenna", "7"}, 1, "Not a duration: 0"},
      {{"--add", "tomorrow", "45", "antenna", "7"}, 1, "Not a start time"},
      {{"--add", "2026-12-09 20:00", "45", "antenna", "Seven Sports"}, 1, "No channel Seven Sports"},
      {{"--add", "2026-12-09 20:00", "45", "composite", "-", "SVCD (NTSC)"}, 0, "3\n"},
      {{"--add", "2026-12-09 20:00", "45", "antenna", "7", "ogg"}, 1, "Not a recording format"},
      {{"--add", "2026-12-09 20:00"}, 2, "usage: Scheduled --add"},
      {{"--remove", "3"}, 0, ""},
      {{"--remove", "3"}, 1, "No entry 3."},
      {{"--remove", "x"}, 2, "usage: Scheduled --remove ID"},
      {{"--fire", "9"}, 1, "No entry 9."},
      {{"--frobnicate"}, 2, "unknown command --frobnicate"},
      {{"--list"}, 0, "2\t2026-12-08T20:45:00\t1:30:00\tOnce\tFM radio\t3\tMP3\t(date and time)\t\n"},
      {{"--add", "2026-12-10 20:00", "45", "antenna", "7", "Matroska (HEVC)"}, 0, "\n"},
      {{"--add", "2026-12-11 20:00", "45", "antenna", "7", "mp4 h264"}, 0, "\n"},
      {{"--add", "2026-12-12 20:00", "45", "antenna", "7", "Matroska (VP9)"}, 1, "Not a recording format"},
  };
  for (const auto& row : rows) {
    const TRun r = Scheduled(row.args);
    EXPECT_EQ(r.code, row.code) << row.args.join(' ').toStdString() << ": " << r.err.toStdString();
    if (row.code == 0) EXPECT_TRUE(r.out.isEmpty() ? !*row.says : r.out.endsWith(row.says)) << r.out.toStdString();
    else EXPECT_TRUE(r.err.contains(row.says) && r.err.count('\n') == 1) << r.err.toStdString();
  }
  const TTimetable table = Stored();
  ASSERT_EQ(table.Entries.size(), 4);
  EXPECT_EQ(table.Entries[0].CaptureWidth, 720) << "the format's usual settings";
  EXPECT_EQ(table.Entries[1].AudioOption, 1) << "FM records sound only";
  EXPECT_EQ(std::tuple(table.Entries[2].Format, table.Entries[2].VideoBitRateKbps, table.Entries[2].FrameRateCode,
                       table.Entries[3].Format), std::tuple(12, 0, 0, 10)) << "no bit-rate cap, the card's own rate";
}

TEST(ScheduledCommandLine, FireWritesTheRelayAndStartsTheProgramWhenItIsNotRunning) {
  ASSERT_EQ(Scheduled({"--add", "2026-12-08 06:00", "5m", "fm", "4", "wave"}).code, 0);
  ASSERT_EQ(Scheduled({"--add", "2026-12-08 20:00", "45", "cable", "37", "mpeg4"}).code, 0);
  const TRun fm = Scheduled({"--fire", "1"});
  ASSERT_EQ(QList<int>({fm.code, fm.fired}), QList<int>({0, 1})) << fm.err.toStdString();
  EXPECT_EQ(test::System().StartedPrograms, QStringList{"oka-pvx srec_fm"});
  handoff::TRelayRecord relay = WrittenRelay();
  EXPECT_EQ(EntryIdOfRelay(relay), 1);
  EXPECT_EQ(std::tuple(relay.Source, relay.Channel, relay.DurationSeconds, relay.Format, relay.RecordKind),
            std::tuple(qint32(handoff::rsFM), 4, 300, quint8(0), quint8(1)));

  // A running program gets 3025 instead.
  std::vector<quint32> received;
  ipc::TMessageEndpoint program(ipc::kMainWindowClass, [&](quint32 m, qint32, qint32) {
    received.push_back(m);
    return 0;
  });
  ASSERT_TRUE(program.Listen());
  ASSERT_EQ(Scheduled({"--fire", "2"}, QDateTime(QDate(2026, 12, 8), QTime(20, 0, 1))).code, 0);
  ASSERT_TRUE(test::WaitUntil([&] { return !received.empty(); }));
  EXPECT_TRUE(received == std::vector<quint32>{ipc::kMsgScheduledStart} &&
              test::System().StartedPrograms.size() == 1);
  relay = WrittenRelay();
  EXPECT_EQ(std::tuple(EntryIdOfRelay(relay), relay.Channel, relay.Format, relay.CaptureWidth, relay.VideoBitRateKbps),
            std::tuple(2, 37, quint8(2), 352, 2000));
  EXPECT_EQ(std::pair(Stored().Find(2)->Outcome, Stored().Find(2)->LastFired),
            std::pair(TOutcome::Started, QDateTime(QDate(2026, 12, 8), QTime(20, 0))));
}

TEST(ScheduledAgent, AnswersBecomeOutcomesAndTheSleepTimerPowersOff) {
  const QDateTime soon = QDateTime::currentDateTime().addSecs(3600);
  ASSERT_EQ(Scheduled({"--add", soon.toString("yyyy-MM-dd HH:mm:ss"), "10", "antenna", "5"},
                      QDateTime::currentDateTime()).code, 0);
  TSchedulerAgent agent(TTimetable::DefaultPath());
  std::vector<std::pair<qint32, TOutcome>> outcomes;
  agent.OnOutcome = [&](qint32 id, TOutcome o) { outcomes.emplace_back(id, o); };
  QStringList notices;
  agent.OnNotice = [&](const QString& text) { notices << text; };
  bool shown = false;
  agent.OnShow = [&] { shown = true; };
  agent.FireDue(soon.addSecs(-61));
  EXPECT_TRUE(outcomes.empty()) << "not yet due";
  agent.FireDue(soon.addSecs(2));
  agent.FireDue(soon.addSecs(3));  // the same occurrence only once
  EXPECT_EQ(outcomes, (std::vector<std::pair<qint32, TOutcome>>{{1, TOutcome::Started}}));
  for (const auto& [code, outcome] : {std::pair(4, TOutcome::SourceUnavailable), std::pair(2, TOutcome::DiskFull),
                                      std::pair(3, TOutcome::Refused), std::pair(100, TOutcome::Recorded)}) {
    EXPECT_EQ(agent.HandleMessage(ipc::kMsgScheduledStatus, code, 0), 1);
    EXPECT_EQ(Stored().Find(1)->Outcome, outcome) << code;
    EXPECT_EQ(outcomes.back(), std::pair(1, outcome));
  }
  EXPECT_EQ(agent.HandleMessage(ipc::kMsgScheduledStatus, 77, 0), 0) << "unknown answers change nothing";
  agent.HandleMessage(ipc::kMsgShowScheduler, 0, 0);
  EXPECT_TRUE(shown);

  // The entry is an hour away: the sleep timer may power off.
  agent.HandleMessage(ipc::kMsgSleepTimerExpired, 0, 0);
  EXPECT_EQ(test::System().PowerOffCalls, 1);
  // Not with a recording about to start.
  ASSERT_EQ(Scheduled({"--add", QDateTime::currentDateTime().addSecs(120).toString("yyyy-MM-dd HH:mm:ss"), "1",
                       "antenna", "6"}, QDateTime::currentDateTime()).code, 0);
  agent.HandleMessage(ipc::kMsgSleepTimerExpired, 0, 0);
  EXPECT_EQ(test::System().PowerOffCalls, 1);
  EXPECT_TRUE(notices.value(notices.size() - 1).startsWith("You have at least one scheduled item"));
}

TEST(ScheduledAgent, AnEndingRecordingIsCreditedToItsEntryAfterTheRelayWasRewritten) {
  ASSERT_EQ(Scheduled({"--add", "2026-12-08 20:00", "60", "antenna", "5"}).code, 0);
  ASSERT_EQ(Scheduled({"--add", "2026-12-08 22:00", "60", "antenna", "6"}).code, 0);
  TSchedulerAgent agent(TTimetable::DefaultPath());
  // Entry 2 is fired by hand while entry 1 records: the program refuses it at once.
  ASSERT_EQ(Scheduled({"--fire", "1"}).code, 0);
  ASSERT_EQ(Scheduled({"--fire", "2"}).code, 0);
  agent.HandleMessage(ipc::kMsgScheduledStatus, ipc::kScheduledStartRefused, 0);
  agent.HandleMessage(ipc::kMsgScheduledStatus, ipc::kScheduledRecordingEnded, 0);
  EXPECT_EQ(std::pair(Stored().Find(1)->Outcome, Stored().Find(2)->Outcome),
            std::pair(TOutcome::Recorded, TOutcome::Refused));
  // A recording stopped by a full disk still ends with 100; the reason stays.
  ASSERT_EQ(Scheduled({"--fire", "1"}).code, 0);
  agent.HandleMessage(ipc::kMsgScheduledStatus, ipc::kScheduledDiskFull, 0);
  agent.HandleMessage(ipc::kMsgScheduledStatus, ipc::kScheduledRecordingEnded, 0);
  EXPECT_EQ(Stored().Find(1)->Outcome, TOutcome::DiskFull);
}

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
  EXPECT_TRUE(!Unit("oka-pvx-sched-5.timer").contains("WakeSystem") &&
              Unit("oka-pvx-sched-5.timer").contains("OnCalendar=Thu *-*-* 21:01:00"));

  // A refusing systemctl is reported.
  systemd.Systemctl = [](const QStringList&) { return false; };
  table.Entries[0].DurationSeconds = 60;
  QString reason;
  EXPECT_FALSE(SyncTimers(table, systemd, &reason) || reason.isEmpty());
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
  EXPECT_EQ(QList({programmes[0].Start, programmes[1].Start, programmes[2].Stop}),
            QList({QDateTime(QDate(2026, 12, 8), QTime(19, 0), Qt::UTC), QDateTime(QDate(2026, 12, 9), QTime(11, 30), Qt::UTC),
                   QDateTime(QDate(2026, 12, 9), QTime(23, 0), Qt::UTC)}));

  const TXmltvImport import = EntriesOfProgrammes(programmes, NamedProgramChannels());
  ASSERT_EQ(import.Entries.size(), 2);
  const TScheduleEntry& football = import.Entries[0];
  EXPECT_EQ(std::tuple(football.Source, football.Channel, football.DurationSeconds),
            std::tuple(qint32(handoff::rsAntenna), 7, 6300));
  EXPECT_TRUE(football.BaseName == "Football Cup Final" && !football.UseDateTimeName);
  EXPECT_EQ(std::tuple(import.Entries[1].Source, import.Entries[1].Channel, import.Entries[1].BaseName),
            std::tuple(qint32(handoff::rsMemory), 2, QString("Morning News Weather")));
  ASSERT_EQ(import.Skipped.size(), 2);
  EXPECT_TRUE(import.Skipped[0].endsWith("no channel named Not Received Here"));
  EXPECT_TRUE(import.Skipped[1].endsWith("no valid start and stop"));

  // The command line picks by title and keeps the entries.
  const QStringList args{"--import-xmltv", test::Fixture("scheduled/listing.xml"), "final"};
  const TRun run = Scheduled(args, QDateTime(QDate(2026, 12, 1), QTime(0, 0)));
  EXPECT_EQ(QString("%1 %2").arg(run.code).arg(run.out), "0 1\tFootball Cup Final\n");
  EXPECT_EQ(Stored().Entries.value(0).Start, football.Start);
  EXPECT_EQ(Stored().Entries.size(), 1);
  // Again: the same programme now overlaps itself, so nothing is added.
  EXPECT_EQ(Scheduled(args, QDateTime(QDate(2026, 12, 1), QTime(0, 0))).code, 1);
  QList<TXmltvProgramme> none;
  QString reason;
  EXPECT_FALSE(ParseXmltv("<html><body/></html>", none, &reason) || reason != "Not an XMLTV listing.");
}

// A programme without a stop ends where the next programme on its own channel starts, by start
// time wherever it stands in the listing; without one it stays out, as does an unreadable stop.
TEST(ScheduledXmltv, AProgrammeWithoutStopEndsWhereTheNextOnItsChannelStarts) {
  const QList<TProgramChannel> channels{{handoff::rsAntenna, 7, "One"}, {handoff::rsCable, 30, "Two"}};
  auto programme = [](const char* channel, const char* start, const char* stop, const char* title) {
    return QString("<programme channel=\"%1\" start=\"20261208%2 +0000\"%3><title>%4</title></programme>")
        .arg(channel, start, *stop ? QString(" stop=\"20261208%1 +0000\"").arg(stop) : QString(), title);
  };
  // Each row's programmes; what becomes of them: "title minutes", or "title -" when left out.
  const struct { const char* name; QStringList programmes; const char* result; } rows[] = {
      {"followed by a programme", {programme("one", "2000", "", "Film"), programme("one", "2130", "2200", "News")},
       "Film 90, News 30"},
      {"last on its channel", {programme("one", "2000", "2100", "News"), programme("one", "2100", "", "Film")},
       "News 60, Film -"},
      {"the next on another channel is not taken",
       {programme("one", "2000", "", "Film"), programme("two", "2045", "2100", "Other"),
        programme("one", "2200", "2300", "Late")},
       "Film 120, Other 15, Late 60"},
      {"by start time, not by place in the listing; together, both take the one after",
       {programme("one", "2200", "2300", "Late"), programme("one", "2000", "", "Film"),
        programme("one", "2000", "", "Repeat"), programme("one", "2130", "2200", "News")},
       "Late 60, Film 90, Repeat 90, News 30"},
      {"an unreadable stop is no missing stop",
       {programme("one", "2000", "soon", "Film"), programme("one", "2130", "2200", "News")}, "Film -, News 30"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QByteArray xml = ("<tv><channel id=\"one\"><display-name>One</display-name></channel>"
                            "<channel id=\"two\"><display-name>Two</display-name></channel>" +
                            row.programmes.join("") + "</tv>").toUtf8();
    QList<TXmltvProgramme> programmes;
    ASSERT_TRUE(ParseXmltv(xml, programmes, nullptr));
    const TXmltvImport import = EntriesOfProgrammes(programmes, channels);
    QStringList result;
    for (const TXmltvProgramme& p : programmes) {
      const auto entry = std::find_if(import.Entries.begin(), import.Entries.end(),
                                      [&](const TScheduleEntry& e) { return e.BaseName == p.Title; });
      result << p.Title + (entry == import.Entries.end() ? " -" : QString(" %1").arg(entry->DurationSeconds / 60));
    }
    EXPECT_EQ(result.join(", ").toStdString(), row.result);
    EXPECT_EQ(import.Skipped.size(), qsizetype(QString(row.result).count(" -")));
    for (const QString& line : import.Skipped)
      EXPECT_TRUE(line.endsWith("no valid start and stop")) << line.toStdString();
  }
}
