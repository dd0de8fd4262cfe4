#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "SettingsTestSupport.h"
#include "platform/Clock.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"

using namespace pvx;
using namespace pvx::settings;
using test::Channels;
using test::FakeTuner;

TEST(ChannelInfo, VerifyOptionFollowsTheMarkerFileAndSetupNeededTheChoices) {
  EXPECT_FALSE(TChannelInfo().VerifyOptionShown);
  test::WriteFile(test::Home() + "MaxAutoScan.cfg", "");
  TChannelInfo c;
  EXPECT_TRUE(c.VerifyOptionShown && c.SetupNeeded());
  c.CountryCode = 49;
  EXPECT_FALSE(c.SetupNeeded());
  c.CountryCode = -1, c.TVSystemChoice = 3;
  EXPECT_FALSE(c.SetupNeeded());
  c.MemoryChannels[1].Valid = false;  // memory and FM validity and count
  c.FMChannels[49].Frequency = 0;
  c.CurrentTable = TChannelInfo::kMemory;
  EXPECT_EQ(QList<int>({c.ValidCount(), c.NextValid(1)}), QList<int>({49, 3}));
  c.CurrentTable = TChannelInfo::kFM;
  EXPECT_EQ(QList<int>({c.ValidCount(), c.PrevValid(1)}), QList<int>({49, 49}));
  c.CurrentTable = TChannelInfo::kNoTable;
  EXPECT_EQ(c.ValidCount(), 0);
}

TEST(ChannelInfo, UpDownAndRecallWalkTheValidChannels) {
  Channels ch;
  ch.MakeValid({3, 40, 160});
  ch.UseAntenna(160);
  TChannelInfo &c = ch.info;
  EXPECT_EQ(QList<int>({c.ChannelUp(), c.ChannelUp(), c.ChannelDown(), c.ChannelDown(),
                        c.PrevChannel, c.Recall(), c.PrevChannel}),
            QList<int>({3, 40, 3, 160, 3, 3, 160}));
  for (int n : {0, -7, 161, 100000, INT32_MAX, INT32_MIN})  // searches stay inside the table
    EXPECT_EQ(QList<int>({c.NextValid(n), c.PrevValid(n)}), QList<int>({3, 160})) << n;
  for (bool valid : {true, false}) {  // one valid channel, or none: it is selected again
    Channels one;
    if (valid) one.MakeValid({7});
    one.UseAntenna(7);
    EXPECT_EQ(QList<int>({one.info.ChannelUp(), one.info.ChannelDown()}), QList<int>({7, 7}));
    EXPECT_EQ(one.events.back(), "channel 7 '- Mono'");
  }
}

TEST(ChannelInfo, OutOfRangeSelectionAnnouncesTheCurrentChannelAndTunesNothing) {
  Channels ch;
  ch.MakeValid({9});
  ch.UseAntenna(9);
  ch.info.PrevChannel = 2;
  for (int n : {0, 161}) ch.info.SelectChannel(n);
  EXPECT_EQ(ch.events, QStringList({"channel 9 ''", "channel 9 ''"}));
  EXPECT_TRUE(ch.tuner.Log.isEmpty());
  EXPECT_EQ(QList<int>({ch.info.CurChannel, ch.info.PrevChannel}), QList<int>({9, 2}));
  ch.info.CurrentTable = TChannelInfo::kMemory, ch.info.CurMemory = 3;
  ch.info.SelectChannel(51);
  EXPECT_EQ(ch.events.back(), "channel 3 ''");
  ch.info.Standard = 1;  // audio mode 5 and refused modes change nothing
  EXPECT_TRUE(ch.info.SetAudioMode(4));
  EXPECT_EQ(ch.events.back(), "audio 4 Both");
  ch.tuner.AudioRefusals[2] = 1;
  EXPECT_FALSE(ch.info.SetAudioMode(5) || ch.info.SetAudioMode(2));
  EXPECT_EQ(ch.info.AudioMode, 4);
}

TEST(ChannelInfo, SelectingMutesTunesSetsTheSoundAndAnnounces) {
  struct Row {
    TChannelRecord record;
    int audioBefore, refusals, waitedMs,
        audioAfter;  // refusals of the record's mode
    QString shown;
    QStringList calls;
  };
  const QStringList tune2 = {"standard 0x2", "mute", "tv 91250000"};
  // Accepted at the third try; refused ten times, left as it was; without a sound mode, one try
  // then mono; the wanted mode already on.
  // clang-format off
  const Row rows[] = {
      {{true, true, 2, 1, 55250000, 55000000, "Two", "x"}, 0, 2, 3 * 200 + 100, 1, "Two- Stereo",
       {"standard 0x10", "mute", "tv 55250000", "audio 1", "audio 1", "audio 1", "unmute"}},
      {{true, false, 1, 2, 91250000, 91250000, "NHK", ""}, 1, 100, 10 * 200 + 100, 1, "NHK- Stereo",
       tune2 + QStringList(10, "audio 2") + QStringList{"unmute"}},
      {{true, false, 0, 3, 55250000, 55250000, "One", ""}, 5, 100, 200 + 100, 0, "One- Mono",
       {"standard 0x1", "mute", "tv 55250000", "audio 3", "audio 0", "unmute"}},
      {{true, false, 0, 1, 55250000, 55250000, "Same", ""}, 1, 0, 100, 1, "Same- Stereo",
       {"standard 0x1", "mute", "tv 55250000", "unmute"}},
  };
  // clang-format on
  for (const Row &row : rows) {
    Channels ch;
    ch.UseAntenna(1);
    ch.info.AudioMode = quint8(row.audioBefore);
    ch.info.VerifyCount = 4;
    *ch.info.ChannelRecord(false, 2) = row.record;
    ch.tuner.AudioRefusals[row.record.AudioMode] = row.refusals;
    const qint64 start = test::Clock().NowMs();
    ch.info.SelectChannel(2);
    SCOPED_TRACE(row.record.Name.toStdString());
    EXPECT_EQ(ch.tuner.Log, row.calls);
    EXPECT_EQ(QList<qint64>({test::Clock().NowMs() - start, ch.tuner.ReadingsAtTune,
                             ch.info.AudioMode, ch.info.CurChannel, ch.info.PrevChannel}),
              QList<qint64>({row.waitedMs, 4, row.audioAfter, 2, 1}));
    EXPECT_EQ(ch.events.back(), QStringLiteral("channel 2 '%1'").arg(row.shown));
    if (row.refusals == 2)  // the standard is announced first, then the sound, then the channel
      EXPECT_EQ(ch.events,
                QStringList({"standard 0x10", "audio 1 Stereo", "channel 2 'Two- Stereo'"}));
  }
}

TEST(ChannelInfo, MemoryEntriesTuneTheirChannelAndShowTheirOwnName) {
  Channels ch;
  ch.info.AudioMode = 0;
  *ch.info.ChannelRecord(true, 12) = {true, true, 0, 0, 205250000, 205250000, "Cable Twelve", ""};
  ch.info.MemoryChannels[6] = {true, 1, 12, "Favourite"};
  ch.info.CurrentTable = TChannelInfo::kMemory;
  ch.info.SelectChannel(7);
  EXPECT_EQ(ch.tuner.Tuned, std::vector<quint32>({205250000}));
  EXPECT_EQ(ch.events.back(), "channel 7 'Favourite- Mono'");
  EXPECT_EQ(ch.info.CurMemory, 7);
  EXPECT_EQ(ch.info.CurChannel, 4) << "the antenna/cable current channel is not touched";
  for (auto entry : {TMemoryChannelRecord{true, 2, 5, "Bad source"},
                     {true, 0, 0, "Bad channel"},
                     {true, 1, 161, "Beyond"}}) {
    ch.Clear();
    ch.info.MemoryChannels[0] = entry;
    ch.info.SelectChannel(1);
    EXPECT_EQ(ch.tuner.Tuned, std::vector<quint32>({0})) << entry.Name.toStdString();
  }
}

TEST(ChannelInfo, SetTableAnnouncesAndSelectsItsCurrentChannelAndFMTunesTheReceiver) {
  Channels ch;
  ch.info.CurChannel = 8;
  ch.info.SetTable(TChannelInfo::kCable);
  EXPECT_EQ(QStringList({ch.events.first(), ch.events.last()}),
            QStringList({"table 1", "channel 8 '- Mono'"}));
  ch.Clear();
  for (int t : {int(TChannelInfo::kCable), int(TChannelInfo::kNoTable), 7, -1}) ch.info.SetTable(t);
  EXPECT_TRUE(ch.events.isEmpty());
  EXPECT_EQ(ch.info.CurrentTable, TChannelInfo::kCable);
  ch.info.SetTable(TChannelInfo::kFM);
  ch.Clear();
  ch.info.SelectChannel(2);
  EXPECT_EQ(ch.tuner.Log, QStringList({"fm 88300000"}));
  EXPECT_EQ(ch.events, QStringList({"channel 2 'FM Memory 2'"}));
  EXPECT_EQ(QList<int>({ch.info.CurFM, ch.info.PrevFM, ch.info.Recall(), ch.info.PrevFM}),
            QList<int>({2, 4, 4, 2}));
  ch.Clear();  // a video source is announced only when routed
  EXPECT_TRUE(ch.info.SetVideoSource(TChannelInfo::kSVideo));
  EXPECT_TRUE(ch.info.SetVideoSource(TChannelInfo::kSVideo));
  EXPECT_EQ(ch.tuner.Log.size(), 1) << "the same source routes nothing";
  ch.tuner.Routes = false;  // not routed: kept, but not announced
  for (int source : {int(TChannelInfo::kComposite), int(TChannelInfo::kNoSource)}) {
    EXPECT_FALSE(ch.info.SetVideoSource(source));
    EXPECT_EQ(ch.info.VideoSource, source);
  }
  EXPECT_EQ(ch.events, QStringList({"source"}));
}

TEST(ChannelInfo, StandardTableAndAudioModeNames) {
  const int expected[] = {0x1, 0x2, 0x10, 0x20, 0x100, 0x200, 0x400, 0x1000, 0x2000, 0x40000, 0, 0};
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(TChannelInfo::DirectShowStandard(i == 11 ? -1 : i), expected[i]);
  const std::pair<int, QStringList> names[] = {
      {0, {"Mono", "Stereo", "SAP", "SAP", "SAP 2", ""}},
      {1, {"Main", "Stereo", "SUB", "SUB", "Both", ""}},
      {7, {"Mono", "Stereo", "Dual-A", "Dual-B", "Dual-C", ""}}};
  for (const auto &[standard, modes] : names)
    for (int mode = 0; mode <= 5; ++mode)
      EXPECT_EQ(TChannelInfo::AudioModeName(mode, standard), modes[mode]) << standard << mode;
}

TEST(ChannelInfo, ApplyChangeAndSetStandard) {
  TMainInfo main;
  MainInfo = &main;  // cleared by the test listener
  Channels ch;
  EXPECT_FALSE(ch.info.ApplyStandard(10));
  EXPECT_TRUE(ch.tuner.Log.isEmpty());
  EXPECT_TRUE(ch.info.ChangeStandard(3));
  EXPECT_EQ(ch.tuner.Log, QStringList({"standard 0x20"})) << "a standard tuner needs no restart";
  main.ChipFamily = 2;
  ch.Clear();
  ch.tuner.RestartResult = false;
  EXPECT_FALSE(ch.info.ChangeStandard(2));
  EXPECT_EQ(ch.tuner.Log, QStringList({"standard 0x10", "restart"}));
  EXPECT_EQ(test::Dialogs().Warnings,
            std::vector<QStringList>({{"Cannot set TV Video standard, "
                                       "please verify your TV video system again."}}));
  main.ChipFamily = 0;  // setting the standard rewrites every record, and tells the Empia card
  ch.Clear();
  ch.info.ChannelRecord(true, 160)->Standard = 9;
  ch.info.SetStandard(8);
  for (bool cable : {false, true})
    for (const TChannelRecord &r : ch.info.Table(cable)) ASSERT_EQ(r.Standard, 8);
  EXPECT_TRUE(ch.tuner.Log.isEmpty());
  main.ChipFamily = 3;
  for (int s : {0, 1, 4}) ch.info.SetStandard(s);
  EXPECT_EQ(ch.tuner.Log, QStringList({"vendor 1", "vendor 2", "vendor 3"}));
}

TEST(ChannelInfo, InsertAndDeleteChannelsShiftTheTable) {
  TChannelInfo c;
  c.Standard = 3;
  for (int n = 1; n <= 160; ++n) {
    *c.ChannelRecord(true, n) = {true, true, 0, 1, quint32(n), 0, QString::number(n), ""};
    c.ChannelRecord(false, n)->Name = QString::number(n);
  }
  ASSERT_TRUE(c.DeleteChannel(5, false));
  for (auto [n, name] : {std::pair{4, "4"}, {5, "6"}, {50, "51"}, {159, "160"}})
    EXPECT_EQ(c.ChannelRecord(false, n)->Name, name) << n;
  EXPECT_EQ(*c.ChannelRecord(false, 160), (TChannelRecord{false, false, 3, 0, 0, 0, "", ""}));
  ASSERT_TRUE(c.InsertChannel(3, true));  // it takes the frequency of the record it displaces
  EXPECT_EQ(*c.ChannelRecord(true, 3), (TChannelRecord{true, false, 3, 0, 3, 3, "", ""}));
  EXPECT_EQ(QStringList({c.ChannelRecord(true, 4)->Name, c.ChannelRecord(true, 160)->Name}),
            QStringList({"3", "159"}));
  ASSERT_TRUE(c.InsertChannel(160, true));
  EXPECT_EQ(*c.ChannelRecord(true, 160), (TChannelRecord{true, false, 3, 0, 159, 159, "", ""}));
  for (int n : {0, 161}) EXPECT_FALSE(c.DeleteChannel(n, false) || c.InsertChannel(n, true)) << n;
}

TEST(ChannelInfo, InsertAndDeleteMemoryShiftEntriesAndFMMemoriesSpread) {
  TChannelInfo c;
  ASSERT_TRUE(c.InsertMemory(2));
  EXPECT_EQ(QStringList({c.MemoryChannels[2].Name, c.MemoryChannels[49].Name}),
            QStringList({"Memory 2", "Memory 49"}));
  ASSERT_TRUE(c.DeleteMemory(1));
  EXPECT_EQ(c.MemoryChannels[0].Name, "Memory 2");
  EXPECT_EQ(c.MemoryChannels[49], TMemoryChannelRecord{});
  EXPECT_FALSE(c.DeleteMemory(0));
  for (auto &m : c.MemoryChannels) m = {false, 1, 99, "kept"};
  const auto before = c.MemoryChannels;
  ASSERT_TRUE(c.InsertMemory(50));  // rewrites entry 50 only
  EXPECT_TRUE(std::equal(before.begin(), before.end() - 1, c.MemoryChannels.begin()));
  EXPECT_EQ(c.MemoryChannels[49], (TMemoryChannelRecord{true, 0, 50, "Memory 50"}));
  EXPECT_FALSE(c.InsertMemory(51));
  c.SpreadFMMemories(87500000, 108000000);
  EXPECT_EQ(c.FMChannels[0], (TFMMemoryChannelRecord{87910000, "FM Memory 1"}));
  EXPECT_EQ(c.FMChannels[1].Frequency, 88320000u);
  EXPECT_EQ(c.FMChannels[49], (TFMMemoryChannelRecord{108000000, "FM Memory 50"}));
  const auto spread = c.FMChannels;
  c.SpreadFMMemories(100000000, 100000049);  // step 0
  c.SpreadFMMemories(100000000, 90000000);   // upside down
  EXPECT_EQ(c.FMChannels, spread);
  c.SpreadFMMemories(100, 150);  // step 1
  EXPECT_EQ(c.FMChannels[49].Frequency, 150u);
}

TEST(ChannelInfo, FMStateSavedAndRestoredAndResetKeepsTunerAndVerifyCount) {
  Channels ch;
  ch.info.RestoreState();
  EXPECT_TRUE(ch.events.isEmpty()) << "nothing saved, nothing restored";
  ch.info.SetVideoSource(TChannelInfo::kTuner);
  ch.info.SetTable(TChannelInfo::kCable);
  ch.info.SelectChannel(21);
  ch.info.SaveState();
  ch.info.SetVideoSource(TChannelInfo::kComposite);
  ch.info.SetTable(TChannelInfo::kFM);
  ch.info.SelectChannel(3);
  ch.info.AudioMode = 1;
  ch.Clear();
  ch.tuner.AudioRefusals[0] = 100;
  ch.info.RestoreState();
  EXPECT_EQ(ch.tuner.Log.first(), "source 0");
  EXPECT_EQ(
      QList<int>({ch.info.VideoSource, ch.info.CurrentTable, ch.info.CurChannel, ch.info.CurFM}),
      QList<int>({TChannelInfo::kTuner, TChannelInfo::kCable, 21, 3}));
  EXPECT_EQ(QStringList({ch.events.first(), ch.events.last()}),
            QStringList({"source", "channel 21 ''"}))
      << "mode 0 refused after mode 5: no mode name";
  ch.tuner.Readings = 3;  // a reset keeps the tuner and its lock readings
  ch.info.SetTuner(&ch.tuner);
  EXPECT_EQ(ch.info.VerifyCount, 3) << "attaching a tuner takes its lock readings";
  ch.info.MemoryChannels[0].Name = "mine";
  ch.info.Reset();  // the other defaults are pinned by the channel file's tests
  EXPECT_EQ(QList<int>({ch.info.VerifyCount, ch.info.CurrentTable}), QList<int>({3, 4}));
  EXPECT_EQ(ch.info.Tuner(), &ch.tuner);
  EXPECT_EQ(ch.info.MemoryChannels, TChannelInfo().MemoryChannels);
}

TEST(PreviewInfo, CountFillPagesAndTheCustomizedGrid) {
  Channels ch;
  ch.MakeValid({2, 9, 30, 31, 150});
  ch.info.CurrentTable = TChannelInfo::kAntenna;
  TPreviewInfo &p = ch.preview;
  EXPECT_EQ(p.Count(), 5) << "limited by the valid channels";
  p.Customize = true;
  EXPECT_EQ(p.Count(), 9);
  p.Customize = false, p.Dimension = 2;
  EXPECT_EQ(p.Count(), 4);
  p.Fill(30);  // valid channels row by row, wrapping
  EXPECT_EQ(QList<TPreviewCell>({p.Grid[0][0], p.Grid[0][1], p.Grid[1][0], p.Grid[1][1]}),
            QList<TPreviewCell>({{1, 30}, {1, 31}, {1, 150}, {1, 2}}));
  EXPECT_EQ(p.NextChannel, 9);
  EXPECT_EQ(p.Grid[0][2], TPreviewCell{}) << "outside the dimension";
  p.SetStart(p.NextChannel);
  p.Dimension = 3;
  p.Grid[2][2] = {1, 77};
  p.Refill();
  EXPECT_EQ(QList<int>({p.Grid[0][0].Channel, p.Grid[1][1].Channel, p.NextChannel}),
            QList<int>({9, 2, 9}));
  EXPECT_EQ(p.Grid[2][2], (TPreviewCell{1, 77})) << "cells beyond Count keep what was there";
  p.Dimension = 2;
  p.NextPage();
  EXPECT_EQ(QList<int>({p.StartChannel, p.Grid[1][1].Channel, p.NextChannel}),
            QList<int>({9, 150, 2}));
  p.Customize = true;  // a customized grid keeps its start
  p.SetStart(6);
  EXPECT_EQ(p.StartChannel, 9);
  for (auto [asked, got] : {std::pair{1, 2}, {9, 5}, {4, 4}, {-3, 2}}) {
    p.SetDimension(asked);
    EXPECT_EQ(p.Dimension, got) << asked;
  }
  p.Dimension = 9;  // set directly: filling still stays inside the grid
  p.Fill(9);
  EXPECT_EQ(p.Grid[4][4].Shown, 1);
  p.CustomGrid[4][0] = {3, 0};
  p.Interval = 9;
  p.Reset();
  EXPECT_EQ(p.Grid, TPreviewInfo::TGrid<TPreviewCell>{});
  EXPECT_EQ(p.CustomGrid, TPreviewInfo::TGrid<TSourceMapCell>{});
  EXPECT_EQ(QList<int>({p.Dimension, p.Interval, p.Customize}), QList<int>({3, 2, false}));
}

// --- scans on a simulated band
// ---------------------------------------------------------------

namespace {

constexpr qint64 kCapture = 1500000;

// Carriers that lock within 1.5 MHz; the offset grows one per 62.5 kHz of
// detuning, limited to
// +-limit as many tuners report it.
std::function<FakeTuner::Reading(quint32)> Band(std::vector<qint64> carriers, int limit = 1000) {
  return [carriers, limit](quint32 hertz) {
    for (qint64 c : carriers) {
      const qint64 detune = qint64(hertz) - c;
      if (std::llabs(detune) <= kCapture)
        return FakeTuner::Reading{true, qint32(std::clamp<qint64>(detune / 62500, -limit, limit))};
    }
    return FakeTuner::Reading{};
  };
}

}  // namespace

TEST(ChannelScan, AutoScanOfBothTablesMarksWhatLocks) {
  Channels ch;
  ch.info.Standard = 2;
  for (bool cable : {false, true})
    for (int n = 1; n <= 160; ++n)
      ch.info.ChannelRecord(cable, n)->DefaultFrequency =
          n <= 100 ? 40000000 + quint32(n) * 8000000 : 0;
  ch.info.ChannelRecord(false, 11)->Valid = true;  // stale
  ch.tuner.Receive = Band({64000000, 120000000 + 1000000});
  int progress = 0;
  ch.info.OnAutoScanProgress = [&](TChannelInfo &c, int n, bool valid, bool antenna) {
    EXPECT_TRUE(c.Scanning);
    EXPECT_EQ(QList<int>({n, antenna, valid}),
              QList<int>({progress % 160 + 1, progress < 160, n == 3 || n == 10}));
    ++progress;
  };
  ASSERT_TRUE(ch.info.AutoScan(2));
  EXPECT_EQ(progress, 320);
  EXPECT_EQ(ch.done, QStringList({"160 2 0 0", "160 2 2 0"}));
  EXPECT_EQ(ch.tuner.Log.first(), "standard 0x10");
  EXPECT_EQ(ch.tuner.Tuned.size(), 200u) << "channels without a frequency are not tuned";
  EXPECT_TRUE(ch.info.ChannelRecord(false, 3)->Found && ch.info.ChannelRecord(true, 10)->Valid);
  EXPECT_FALSE(ch.info.ChannelRecord(false, 11)->Valid || ch.info.Scanning);
  ch.done.clear();
  ASSERT_TRUE(ch.info.AutoScan(1));
  EXPECT_EQ(ch.done, QStringList({"160 2 1 0"})) << "the cable kind scans the cable table only";
}

TEST(ChannelScan, AbortStopsAtTheNextChannelAndANestedScanIsRefused) {
  Channels ch;
  for (int n = 1; n <= 160; ++n) ch.info.ChannelRecord(false, n)->DefaultFrequency = 50000000;
  ch.tuner.Receive = Band({50000000});
  bool nested = true;
  ch.info.OnAutoScanProgress = [&](TChannelInfo &c, int n, bool, bool) {
    if (n == 1) nested = c.AutoScan(0) || c.FreeScan(250000);
    if (n == 10) c.AbortScan = true;  // as an Abort button would, during the message pumping
  };
  ASSERT_TRUE(ch.info.AutoScan(2));
  EXPECT_FALSE(nested);
  EXPECT_EQ(ch.done, QStringList({"10 11 0 1"})) << "the cable pass is skipped";
  EXPECT_EQ(ch.tuner.Tuned.size(), 11u);
  EXPECT_FALSE(ch.info.ChannelRecord(false, 12)->Valid);
}

TEST(ChannelScan, FreeScanStoresCentredCarriersAndSkipsAChannelWidthAfterEach) {
  Channels ch;
  ch.info.AntennaChannels[150].Name = "old";
  ch.info.MemoryChannels[3] = {false, 1, 9, "mine"};
  // 60.25 lies within 5 MHz of 56.25 and is passed over after the find below
  // it.
  ch.tuner.Receive = Band({48250000, 56250000, 60250000, 83250000});
  QStringList found;
  bool coarseDuring = false;
  ch.info.OnFreeScanProgress = [&](TChannelInfo &, int slot, quint32 f, bool hit) {
    coarseDuring = ch.tuner.Coarse;
    if (hit) found << QStringLiteral("%1=%2").arg(slot).arg(f);
  };
  ASSERT_TRUE(ch.info.FreeScan(250000));
  EXPECT_EQ(found, QStringList({"1=48250000", "2=56250000", "3=83250000"}));
  EXPECT_EQ(ch.done, QStringList({"free 3 0"}));
  EXPECT_TRUE(coarseDuring && !ch.tuner.Coarse);
  EXPECT_EQ(*ch.info.ChannelRecord(false, 2),
            (TChannelRecord{true, true, 0, 0, 56250000, 56250000, "", ""}));
  EXPECT_EQ(ch.info.AntennaChannels[150], TChannelRecord{});
  EXPECT_EQ(ch.info.CableChannels, ch.info.AntennaChannels);
  EXPECT_EQ(ch.info.MemoryChannels[3], (TMemoryChannelRecord{true, 0, 4, "Memory 4"}));
  EXPECT_EQ(ch.tuner.Tuned.front(), 45000000u);
  EXPECT_LE(ch.tuner.Tuned.back(), 100000000u);
}

TEST(ChannelScan, FreeScanCentresOnTheOffsetsAndStopsAfter160Stations) {
  // A carrier between two steps, on a tuner reporting at most +-2 (-2 then +2);
  // and a wide centre of zero offsets, followed to its last step.
  const std::function<FakeTuner::Reading(quint32)> bands[] = {
      Band({50125000}, 2), [](quint32 hertz) {
        const qint64 d = qint64(hertz) - 50000000;
        if (std::llabs(d) > kCapture) return FakeTuner::Reading{};
        return FakeTuner::Reading{true, std::llabs(d) <= 300000 ? 0 : qint32(d / 100000)};
      }};
  for (const auto &band : bands) {
    Channels ch;
    ch.tuner.Receive = band;
    ASSERT_TRUE(ch.info.FreeScan(250000));
    EXPECT_EQ(ch.info.AntennaChannels[0].Frequency, 50250000u);
    EXPECT_FALSE(ch.info.AntennaChannels[1].Valid);
  }
  Channels ch;  // it stops after 160 stations
  std::vector<qint64> carriers;
  for (int i = 0; i < 170; ++i) carriers.push_back(50000000 + qint64(i) * 7000000);
  ch.tuner.Max = 50000000 + 171 * 7000000;
  ch.tuner.Receive = Band(carriers);
  ASSERT_TRUE(ch.info.FreeScan(250000));
  EXPECT_EQ(ch.done, QStringList({"free 160 0"}));
  EXPECT_EQ(ch.info.AntennaChannels[159].Frequency, quint32(carriers[159]));
  EXPECT_LT(ch.tuner.Tuned.back(), quint32(carriers[161]));
}

TEST(ChannelScan, FreeScanAbortStopsAtTheNextChannelAndAZeroStepOrNoTunerIsRefused) {
  Channels ch;
  ch.tuner.Receive = Band({48250000, 56250000, 83250000});
  ch.info.OnFreeScanProgress = [&](TChannelInfo &c, int, quint32, bool hit) { c.AbortScan = hit; };
  ASSERT_TRUE(ch.info.FreeScan(250000));
  EXPECT_EQ(ch.done, QStringList({"free 1 1"}));
  EXPECT_TRUE(ch.info.AntennaChannels[0].Valid && !ch.info.AntennaChannels[1].Valid);
  EXPECT_EQ(ch.tuner.Tuned.back(), 48500000u) << "the step after the find ends the search";
  ch.Clear();
  EXPECT_FALSE(ch.info.FreeScan(0) || ch.info.FreeScan(-250000));
  EXPECT_TRUE(ch.tuner.Tuned.empty());
  TChannelInfo bare;  // without a tuner both scans fail
  bare.AbortScan = true;
  EXPECT_FALSE(bare.AutoScan(2) || bare.AbortScan || bare.FreeScan(250000) || bare.Scanning);
}
