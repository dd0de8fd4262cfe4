// The channel object on a fake card, one kind of step at a time: what it announces, tells the
// card and waits, the state it leaves, and the steps it refuses.

#include <gtest/gtest.h>

#include <climits>

#include "SettingsTestSupport.h"
#include "platform/Clock.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

using namespace pvx;
using namespace pvx::settings;
using test::FakeTuner;
using test::Join;

namespace {

// Carriers that lock within 1.5 MHz; the offset grows one per 62.5 kHz of detuning, limited to
// +-limit as many tuners report it.
std::function<FakeTuner::Reading(quint32)> Band(std::vector<qint64> carriers, int limit = 1000) {
  return [carriers, limit](quint32 hertz) {
    for (qint64 c : carriers)
      if (std::llabs(qint64(hertz) - c) <= 1500000)
        return FakeTuner::Reading{true, qint32(std::clamp<qint64>((hertz - c) / 62500, -limit, limit))};
    return FakeTuner::Reading{};
  };
}

// Records of a table as "[valid found standard audio frequency default 'name']".
QString Records(const TChannelInfo& from, bool cable, std::initializer_list<int> ns) {
  QStringList out;
  for (int n : ns) {
    const TChannelRecord& r = *from.ChannelRecord(cable, n);
    const QString name = "'" + r.Name + "'";
    out << Join({int(r.Valid), int(r.Found), r.Standard, r.AudioMode, r.Frequency, r.DefaultFrequency, name}, true);
  }
  return out.join(' ');
}

using Peer = settings::TChannelInfoPeer;

struct ChannelSteps : ::testing::Test, test::Channels {
  TChannelInfo& c = info;
  TMainInfo main;

  // What a step announced, told the card and waited (ms).
  QString Step(const std::function<void()>& step) {
    Clear();
    const qint64 start = test::Clock().NowMs();
    step();
    return events.join(", ") + " | " + tuner.Log.join(", ") + " | " + QString::number(test::Clock().NowMs() - start);
  }
  // The preview cells in use, "row column = channel".
  QString Cells() const {
    QStringList out;
    for (int i = 0; i < 25; ++i)
      if (const qint32 n = preview.Grid[size_t(i / 5)][size_t(i % 5)].Channel)
        out << QStringLiteral("%1%2=%3").arg(i / 5).arg(i % 5).arg(n);
    return out.join(' ');
  }
};

}  // namespace

TEST_F(ChannelSteps, UpDownRecallWalkTheValidChannelsAndOthersAnnounceTheCurrentOne) {
  for (int n : {3, 40, 160}) MakeValid(n);
  UseAntenna(160);
  EXPECT_EQ(QList<int>({c.ChannelUp(), c.ChannelUp(), c.PrevChannel(), c.ChannelDown(), c.ChannelDown(),
                        c.Recall(), c.PrevChannel()}),
            QList<int>({3, 40, 3, 3, 160, 3, 160}));
  for (int from : {0, -7, 1, 161, 100000, INT_MAX, INT_MIN})
    EXPECT_EQ(Join({c.NextValid(from), c.PrevValid(from)}), "3 160") << from;
  // Out of range, or in no table: the current channel is announced and nothing tuned.
  for (int n : {0, 161}) EXPECT_EQ(Step([&] { c.SelectChannel(n); }), "channel 3 '' |  | 0") << n;
  Peer::CurrentTable(c) = TChannelInfo::kMemory, Peer::CurMemory(c) = 7;
  EXPECT_EQ(Step([&] { c.SelectChannel(51); }), "channel 7 '' |  | 0");
  Peer::CurrentTable(c) = TChannelInfo::kNoTable;
  EXPECT_EQ(Step([&] { c.SelectChannel(1); }), "channel 3 '' |  | 0");
  EXPECT_EQ(Join({c.CurChannel(), c.PrevChannel(), c.CurMemory(), c.PrevMemory()}), "3 160 7 4");
}

TEST_F(ChannelSteps, SelectingSetsTheRecordsSoundTryingTenTimesAndRefusedModesChangeNothing) {
  // The mode on, the record's standard and mode, how often the card refuses that mode.
  const std::tuple<int, int, int, int, const char*> rows[] = {
      {0, 2, 1, 2,
       "standard 0x10, audio 1 Stereo, channel 1 'One- Stereo' | standard 0x10, mute, "
       "tv 55250000, audio 1, audio 1, audio 1, unmute | 700"},
      {1, 1, 2, 100,
       "standard 0x2, channel 1 'One- Stereo' | standard 0x2, mute, tv 55250000, audio 2, audio 2, "
       "audio 2, audio 2, audio 2, audio 2, audio 2, audio 2, audio 2, audio 2, unmute | 2100"},
      // Without a mode on: one try, then mono.
      {5, 0, 3, 100,
       "standard 0x1, audio 0 Mono, channel 1 'One- Mono' | standard 0x1, mute, tv 55250000, "
       "audio 3, audio 0, unmute | 300"}};
  Peer::CurrentTable(c) = TChannelInfo::kAntenna;
  for (const auto& [mode, standard, wanted, refusals, expected] : rows) {
    Peer::AudioMode(c) = quint8(mode), tuner.AudioRefusals[wanted] = refusals;
    *c.ChannelRecord(false, 1) = {true, true, quint8(standard), quint8(wanted), 55250000, 0, "One", ""};
    EXPECT_EQ(Step([&] { c.SelectChannel(1); }), expected);
  }
  // Mode 5 and beyond, and a mode the card refuses, leave the mode as it was.
  Peer::Standard(c) = 1, tuner.AudioRefusals[2] = 1;
  Clear();
  EXPECT_EQ(QList<bool>({c.SetAudioMode(4), c.SetAudioMode(5), c.SetAudioMode(-1), c.SetAudioMode(2)}),
            QList<bool>({true, false, false, false}));
  EXPECT_EQ(Join({c.AudioMode(), events.join(','), tuner.Log.join(',')}), "4 audio 4 Both audio 4,audio 2");
}

TEST_F(ChannelSteps, TablesMemoriesAndFMSelectTheirOwnWayAndRoutedSourcesAreAnnounced) {
  Peer::CurChannel(c) = 8;
  c.SetTable(1);
  for (int t : {1, 4, -1}) EXPECT_EQ(Step([&] { c.SetTable(t); }), " |  | 0") << t;
  EXPECT_EQ(Step([&] { c.SetTable(3), c.SelectChannel(2); }),
            "table 3, channel 4 'FM Memory 4', channel 2 'FM Memory 2' | fm 89100000, fm 88300000 | 0");
  // Memory entries tune what they point to under their own name; entries that point nowhere
  // tune 0 with the object's standard and sound.
  Peer::Standard(c) = 3, Peer::CurrentTable(c) = TChannelInfo::kMemory;
  *c.ChannelRecord(true, 12) = {true, true, 0, 1, 205250000, 0, "Cable", ""};
  *c.MemoryRecord(7) = {true, TChannelInfo::kCable, 12, "Favourite"};
  EXPECT_EQ(Step([&] { c.SelectChannel(7); }),
            "standard 0x1, audio 1 Stereo, channel 7 'Favourite- Stereo' | "
            "standard 0x1, mute, tv 205250000, audio 1, unmute | 300");
  for (const TMemoryChannelRecord& m : {TMemoryChannelRecord{true, 2, 5, "Bad source"},
                                        {true, 1, 0, "Bad channel"},
                                        {true, 0, 161, "Beyond"}})
    EXPECT_EQ(Step([&] { *c.MemoryRecord(50) = m, c.SelectChannel(50); }),
              "standard 0x20, channel 50 '" + m.Name + "- Stereo' | standard 0x20, mute, tv 0, unmute | 100");
  EXPECT_EQ(Join({c.CurChannel(), c.CurMemory(), c.PrevMemory()}), "8 50 7");
  // The same source routes nothing; a refused one, or none, is kept but not announced.
  EXPECT_EQ(Step([&] { EXPECT_TRUE(c.SetVideoSource(3) && c.SetVideoSource(3)); }), "source | source 3 | 0");
  tuner.Routes = false;
  EXPECT_EQ(Step([&] { EXPECT_FALSE(c.SetVideoSource(1) || c.SetVideoSource(4)); }), " | source 1 | 0");
  EXPECT_EQ(c.VideoSource(), 4);
}

TEST_F(ChannelSteps, OnlyConexantRestartsForAStandardAndEveryRecordTakesTheStandardSet) {
  EXPECT_EQ(Step([&] { EXPECT_TRUE(!c.ApplyStandard(10) && c.ChangeStandard(3)); }),
            "standard 0x20 | standard 0x20 | 0");
  c.SetChipFamily(2), tuner.RestartResult = false;
  EXPECT_EQ(Step([&] { EXPECT_FALSE(c.ChangeStandard(2)); }), "standard 0x10 | standard 0x10, restart | 0");
  tuner.AcceptStandard = false;
  EXPECT_EQ(Step([&] { EXPECT_FALSE(c.ChangeStandard(1)); }), " | standard 0x2 | 0");
  EXPECT_EQ(test::Dialogs().Warnings,
            std::vector<QStringList>(2, {"Cannot set TV Video standard, please verify your TV video system again."}));
  // Every record takes it; the Empia card is told too.
  c.SetChipFamily(0), c.ChannelRecord(true, 160)->Standard = 9;
  EXPECT_EQ(Step([&] { c.SetStandard(8); }), " |  | 0");
  EXPECT_EQ(Join({c.Standard(), c.AntennaChannels()[0].Standard, c.CableChannels()[159].Standard}), "8 8 8");
  c.SetChipFamily(3);
  EXPECT_EQ(Step([&] { c.SetStandard(0), c.SetStandard(1), c.SetStandard(4); }),
            " | vendor 1, vendor 2, vendor 3 | 0");
  // Mode names follow NTSC-M, NTSC-J or any other standard.
  EXPECT_EQ(QStringList({c.AudioModeName(-1, 0), c.AudioModeName(5, 0), c.AudioModeName(0, 1),
                         c.AudioModeName(2, 0), c.AudioModeName(4, 7)}),
            QStringList({"", "", "Main", "SAP", "Dual-C"}));
}

TEST_F(ChannelSteps, InsertingAndDeletingShiftTheTablesAndNumbersOutsideAreRefused) {
  Peer::Standard(c) = 3;
  for (int i = 1; i <= TChannelInfo::kChannelCount; ++i) {
    *c.ChannelRecord(true, i) = {true, true, 0, 1, quint32(i), 0, QString::number(i), ""};
    c.ChannelRecord(false, i)->Name = QString::number(i);
  }
  EXPECT_TRUE(c.DeleteChannel(5, false));
  EXPECT_EQ(Records(c, false, {4, 5, 159, 160}),
            "[0 0 0 0 0 0 '4'] [0 0 0 0 0 0 '6'] [0 0 0 0 0 0 '160'] [0 0 3 0 0 0 '']");
  // The inserted record takes the frequency of the one it displaces.
  EXPECT_TRUE(c.InsertChannel(3, true) && c.InsertChannel(160, true));
  EXPECT_EQ(Records(c, true, {3, 4, 159, 160}),
            "[1 0 3 0 3 3 ''] [1 1 0 1 3 0 '3'] [1 1 0 1 158 0 '158'] [1 0 3 0 159 159 '']");
  for (int n : {0, 161}) EXPECT_FALSE(c.InsertChannel(n, false) || c.DeleteChannel(n, true)) << n;
  // Memory entries likewise; inserting entry 50 rewrites entry 50 only.
  c.MemoryRecord(2)->Name = "moved";
  EXPECT_TRUE(c.InsertMemory(2) && c.DeleteMemory(1));
  EXPECT_TRUE(c.MemoryChannels()[0] == (TMemoryChannelRecord{true, 0, 2, "Memory 2"}) &&
              c.MemoryChannels()[49] == TMemoryChannelRecord{});
  EXPECT_EQ(c.MemoryChannels()[1].Name + c.MemoryChannels()[48].Name, "movedMemory 49");
  c.ClearMemories();
  EXPECT_TRUE(c.InsertMemory(50));
  EXPECT_EQ(std::ranges::count(c.MemoryChannels(), TMemoryChannelRecord{}), 49);
  EXPECT_TRUE(c.MemoryRecord(50) == &c.MemoryChannels()[49] && c.FMRecord(50) == &c.FMChannels()[49]);
  EXPECT_FALSE(c.MemoryRecord(51) || c.FMRecord(51) || c.FMRecord(0));
  for (int n : {0, 51}) EXPECT_FALSE(c.InsertMemory(n) || c.DeleteMemory(n)) << n;
  // FM memories spread over the band; a step below 1 Hz changes nothing.
  c.SpreadFMMemories(100, 150), c.SpreadFMMemories(100000000, 100000049), c.SpreadFMMemories(100000000, 90000000);
  EXPECT_EQ(c.FMChannels()[49], (TFMMemoryChannelRecord{150, "FM Memory 50"}));
}

TEST_F(ChannelSteps, TheTVStateIsSavedForFMRestoredOnceAndResetKeepsTheTunersReadings) {
  EXPECT_EQ(Step([&] { c.RestoreState(), c.WriteBackSavedState(); }), " |  | 0") << "none saved";
  c.SetVideoSource(0), c.SetTable(1), c.SelectChannel(21), c.SaveState();
  c.SetVideoSource(1), c.SetTable(3), c.SelectChannel(3), Peer::AudioMode(c) = 1;
  tuner.AudioRefusals[0] = 100;  // after mode 5, no mode name
  EXPECT_EQ(Step([&] { c.RestoreState(), c.RestoreState(); }),
            "source, table 1, standard 0x1, channel 21 '', standard 0x1, channel 21 '' | "
            "source 0, standard 0x1, mute, tv 0, audio 0, audio 0, unmute, "
            "standard 0x1, mute, tv 0, audio 0, audio 0, unmute | 600");
  // Written back without tuning, for the settings file; FM keeps what was listened to.
  for (int table : {1, 2}) {
    c.SetTable(table), c.SelectChannel(30), c.SaveState();
    c.SetVideoSource(2), c.SetTable(3), c.SelectChannel(5);
    EXPECT_EQ(Step([&] { c.WriteBackSavedState(); }), " |  | 0");
    EXPECT_EQ(Join({c.CurrentTable(), c.CurChannel(), c.CurMemory(), c.CurFM(), c.VideoSource()}),
              table == 1 ? "1 30 4 5 0" : "2 30 30 5 0");
  }
  tuner.Readings = 3, c.SetTuner(&tuner), c.ChannelRecord(false, 1)->Valid = true;
  c.RequestAbort(), Peer::CountryCode(c) = 49, Peer::TVSystemChoice(c) = 3, c.Reset();
  EXPECT_EQ(Join({c.CurrentTable(), c.CurChannel(), c.PrevChannel(), c.CurMemory(), c.PrevMemory(), c.CurFM(),
                  c.PrevFM(), c.AudioMode(), c.VideoSource(), c.Standard(), c.CountryCode(), c.TVSystemChoice(),
                  c.CableTypeChoice(), c.AbortRequested(), c.VerifyCount(), c.AntennaChannels()[0].Valid}),
            "4 4 4 4 4 4 4 5 4 0 0 11 2 false 3 false");
  // The card is given the lock readings, 1 to 10, before each tuning.
  for (auto [verify, readings] : {std::pair{3, 3}, {12, 10}, {0, 1}}) {
    c.SetVerifyCount(verify), c.SetTable(0), c.SelectChannel(1);
    EXPECT_EQ(tuner.ReadingsAtTune, readings) << verify;
  }
}

TEST_F(ChannelSteps, SetupIsNeededUntilACountryOrSystemIsChosenAndCountsFollowTheTable) {
  test::WriteFile(test::Home() + "MaxAutoScan.cfg", "");
  EXPECT_TRUE(TChannelInfo().VerifyOptionShown()) << "the marker file shows it";
  const auto needed = [&](int country, int system) {
    return Peer::CountryCode(c) = country, Peer::TVSystemChoice(c) = quint8(system), c.SetupNeeded();
  };
  EXPECT_EQ(QList<bool>({needed(0, 11), needed(-1, 11), needed(1, 11), needed(-1, 3), needed(0, 10)}),
            QList<bool>({true, true, false, false, false}));
  MakeValid(5);
  c.MemoryRecord(2)->Valid = false, c.FMRecord(2)->Frequency = 0;
  // Per table: valid entries, then the next and the previous valid one from 1.
  for (const auto& [table, expected] :
       {std::pair{0, "1 5 5"}, {1, "0 1 1"}, {2, "49 3 50"}, {3, "49 3 50"}, {4, "0 1 1"}}) {
    Peer::CurrentTable(c) = quint8(table);
    EXPECT_EQ(Join({c.ValidCount(), c.NextValid(1), c.PrevValid(1)}), expected) << table;
  }
}

TEST_F(ChannelSteps, PreviewPlacesValidChannelsRowByRowWrappingAndKeepsCellsBeyondTheCount) {
  for (int n : {2, 9, 30, 31, 150}) MakeValid(n);
  Peer::CurrentTable(c) = TChannelInfo::kAntenna;
  EXPECT_EQ(preview.Count(), 5) << "no more than the valid channels";
  preview.SetStart(9), preview.Dimension = 3, preview.Grid[2][2] = {1, 77};
  preview.Refill();
  EXPECT_EQ(Cells(), "00=9 01=30 02=31 10=150 11=2 22=77");
  preview.Dimension = 2, preview.NextPage();
  EXPECT_EQ(Join({preview.StartChannel, preview.NextChannel, Cells()}), "9 2 00=9 01=30 02=31 10=31 11=150 22=77");
  // A customized grid keeps its start and counts every cell; a new dimension is limited to 2..5
  // and refills the grid, as the settings file shows.
  preview.Customize = true, preview.SetStart(6), preview.Refill(), preview.NextPage();
  EXPECT_EQ(Join({preview.StartChannel, preview.Count(), Cells()}), "9 4 00=9 01=30 02=31 10=31 11=150 22=77");
  preview.Dimension = 9, preview.Fill(9);  // counts 81, fills the grid only
  EXPECT_EQ(Join({preview.Count(), preview.Grid[4][4].Channel, preview.NextChannel,
                  preview.CustomGrid[0][0] == TSourceMapCell{}}), "81 2 9 true");
  preview.Interval = 9, preview.CustomGrid[4][0] = {3, 0}, preview.Reset();
  EXPECT_EQ(Join({preview.Count(), Cells(), preview.Dimension, preview.Interval,
                  preview.CustomGrid[4][0] == TSourceMapCell{}}), "5  3 2 true");
}

TEST_F(ChannelSteps, AutoScanMarksWhatLocksClearsWhatIsStaleAndStopsAtAnAbort) {
  Peer::Standard(c) = 2, c.ChannelRecord(false, 11)->Valid = true;
  for (int i = 1; i <= 100; ++i)  // the rest have no frequency and are not tuned
    c.ChannelRecord(false, i)->DefaultFrequency = c.ChannelRecord(true, i)->DefaultFrequency =
        quint32(40000000 + i * 8000000);
  tuner.Receive = Band({64000000, 121000000});
  int calls = 0;
  bool inOrder = true;
  QStringList found;
  TChannelInfo::TScanListener listener;
  listener.AutoProgress = [&](TChannelInfo& s, int n, bool valid, bool antenna) {
    inOrder = inOrder && s.Scanning() && n == calls++ % 160 + 1 && antenna == (calls <= 160);
    if (valid) found << QString::number(n);
    EXPECT_TRUE(n > 1 || !(s.AutoScan(0) || s.FreeScan(250000))) << "nested";
  };
  EXPECT_EQ(Step([&] { EXPECT_TRUE(c.AutoScan(2, listener)); }).section(" | ", 0, 0), "standard 0x10");
  EXPECT_EQ(Join({calls, inOrder, found.join(','), tuner.Log.size(), c.Scanning()}),
            "320 true 3,10,3,10 201 false");
  EXPECT_EQ(Records(c, false, {10, 11}) + " " + Records(c, true, {10}),
            "[1 1 0 0 0 120000000 ''] [0 0 0 0 0 128000000 ''] [1 1 0 0 0 120000000 '']");
  // The cable kind scans the cable table only.
  done.clear(), tuner.Log.clear();
  EXPECT_TRUE(c.AutoScan(1));
  EXPECT_EQ(Join({done.join(','), tuner.Log.size()}), "160 2 1 0 101");
  // An abort stops the scan after the next channel (3, counted); the cable pass is skipped.
  done.clear(), tuner.Log.clear();
  TChannelInfo::TScanListener aborting;
  aborting.AutoProgress = [](TChannelInfo& s, int n, bool, bool) { n == 2 ? s.RequestAbort() : void(); };
  EXPECT_TRUE(c.AutoScan(2, aborting));
  EXPECT_EQ(Join({done.join(','), tuner.Log.size(), c.AbortRequested()}), "2 1 0 1 4 true");
  TChannelInfo bare;  // without a tuner both scans fail, and the abort is cleared
  bare.RequestAbort();
  EXPECT_EQ(Join({bare.AutoScan(2), bare.AbortRequested(), bare.FreeScan(250000), bare.Scanning()}),
            "false false false false");
}

TEST_F(ChannelSteps, FreeScanStoresCentredCarriersInBothTablesSkippingAChannelWidthAfterEach) {
  c.ChannelRecord(false, 151)->Name = "old", *c.MemoryRecord(50) = {false, 1, 9, "mine"};
  tuner.Receive = Band({48250000, 56250000, 60250000, 83250000});
  QStringList hits;
  TChannelInfo::TScanListener listener;
  listener.FreeProgress = [&](TChannelInfo& s, int slot, quint32 f, bool hit) {
    EXPECT_TRUE(s.Scanning() && tuner.Coarse);
    if (hit) hits << QStringLiteral("%1=%2").arg(slot).arg(f);
  };
  EXPECT_TRUE(c.FreeScan(250000, listener));
  // 60.25 MHz lies within 5 MHz of 56.25 MHz.
  EXPECT_EQ(hits.join(' '), "1=48250000 2=56250000 3=83250000");
  EXPECT_EQ(Join({done.join(','), tuner.Log.size(), tuner.Log[1], tuner.Log.last(), tuner.Coarse}),
            "free 3 0 168 tv 45000000 tv 100000000 false");
  EXPECT_EQ(Records(c, false, {3, 4, 151}), "[1 1 0 0 83250000 83250000 ''] [0 0 0 0 0 0 ''] [0 0 0 0 0 0 '']");
  EXPECT_TRUE(c.CableChannels() == c.AntennaChannels() &&
              c.MemoryChannels()[49] == (TMemoryChannelRecord{true, 0, 50, "Memory 50"}));
  for (qint64 step : {0, -250000}) EXPECT_FALSE(c.FreeScan(step)) << step;
  tuner.Min = tuner.Max;
  EXPECT_TRUE(c.FreeScan(1)) << "steps of 1 Hz";
  // The offsets find the centre: a carrier between two steps, at the top of the band, on a tuner
  // reporting at most +-2; a wide centre of zero offsets followed to its last step, the top of
  // the band included. Other standards skip 6 MHz; an abort stops at the next step; 160 stations
  // fill the table.
  const auto centre = [](quint32 hertz) {
    const qint64 d = qint64(hertz) - 50000000;
    return FakeTuner::Reading{std::llabs(d) <= 1500000, std::llabs(d) <= 300000 ? 0 : int(d / 100000)};
  };
  std::vector<qint64> many;
  for (int i = 0; i < 170; ++i) many.push_back(50000000 + i * qint64(7000000));
  // Standard, abort at the first find, the top of the band, what the band holds, what is found.
  const std::tuple<int, bool, qint32, std::function<FakeTuner::Reading(quint32)>, const char*> rows[] = {
      {0, false, 50250000, Band({50125000}, 2), "free 1 0 50250000 0 0"},
      {0, false, 50250000, centre, "free 1 0 50250000 0 0"},
      {1, false, 100000000, Band({48250000, 54000000}), "free 2 0 48250000 54000000 0"},
      {2, false, 100000000, Band({48250000, 54000000}), "free 1 0 48250000 0 0"},
      {0, true, 100000000, Band({48250000, 56250000}), "free 1 1 48250000 0 0"},
      {0, false, 1247000000, Band(many), "free 160 0 50000000 57000000 1163000000"}};
  for (const auto& [standard, abort, top, receive, expected] : rows) {
    test::Channels s;
    Peer::Standard(s.info) = quint8(standard), s.tuner.Receive = receive, s.tuner.Max = top;
    TChannelInfo::TScanListener listener;
    listener.FreeProgress = [&](TChannelInfo& i, int, quint32, bool hit) { abort && hit ? i.RequestAbort() : void(); };
    EXPECT_TRUE(s.info.FreeScan(250000, listener));
    const TChannelInfo::TChannelTable& found = s.info.AntennaChannels();
    EXPECT_EQ(Join({s.done.join(','), found[0].Frequency, found[1].Frequency, found[159].Frequency}),
              expected);
  }
}
