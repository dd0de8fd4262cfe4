// Steps on the channel object read from a transcript: each "> command arguments" line is run and
// followed by one line of what the command gave back, what was announced, what the card was told,
// what was warned, how long it waited, and the state afterwards. "#" lines are notes.

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "SettingsTestSupport.h"
#include "platform/Clock.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

using namespace pvx;
using namespace pvx::settings;
using test::FakeTuner;
using test::Join;

namespace {

// f(i) for i in [from, to], joined by `separator`.
template <typename F>
QString List(int from, int to, F f, const char* separator = " ") {
  QStringList out;
  for (int i = from; i <= to; ++i) out << f(i);
  return out.join(separator);
}

// Carriers that lock within 1.5 MHz; the offset grows one per 62.5 kHz of detuning, limited to
// +-limit as many tuners report it.
std::function<FakeTuner::Reading(quint32)> Band(std::vector<qint64> carriers, int limit) {
  return [carriers, limit](quint32 hertz) {
    for (qint64 c : carriers)
      if (std::llabs(qint64(hertz) - c) <= 1500000)
        return FakeTuner::Reading{true,
                                  qint32(std::clamp<qint64>((hertz - c) / 62500, -limit, limit))};
    return FakeTuner::Reading{};
  };
}

struct Steps {
  TMainInfo main;
  std::unique_ptr<test::Channels> ch = std::make_unique<test::Channels>();
  Steps() { Watch(); }
  int abortAt = 0, calls = 0;  // a scan's progress: calls, and found channels or carriers
  bool nested = false, inOrder = true, coarse = false;
  QStringList found;

  // Follows a scan's progress, aborting it at channel or find `abortAt`.
  void Watch() {
    abortAt = 0, nested = false;
    ch->info.OnAutoScanProgress = [this](TChannelInfo& c, int n, bool valid, bool antenna) {
      // Each pass goes through its table in order.
      inOrder = inOrder && c.Scanning && n == calls++ % 160 + 1 &&
                (n == 1 || antenna == (found.filter("pass").last() == "pass a"));
      if (n == 1) found << (antenna ? "pass a" : "pass c");
      if (valid) found << QString::number(n);
      if (nested && n == 1)
        found << (c.AutoScan(0) || c.FreeScan(250000) ? "nested ran" : "nested refused");
      c.AbortScan = n == abortAt;
    };
    ch->info.OnFreeScanProgress = [this](TChannelInfo& c, int slot, quint32 f, bool hit) {
      ++calls, coarse = coarse || ch->tuner.Coarse, inOrder = inOrder && c.Scanning;
      if (hit) found << QStringLiteral("%1=%2").arg(slot).arg(f);
      c.AbortScan = hit && found.size() == abortAt;
    };
  }

  // The command's own answer.
  QString Run(const QStringList& w) {
    TChannelInfo& c = ch->info;
    TPreviewInfo& p = ch->preview;
    FakeTuner& t = ch->tuner;
    const auto n = [&](int i) { return w.value(i).toInt(); };
    const auto name = [&](int i) { return QString(w.value(i)).replace('_', ' '); };
    const QString& op = w[0];
    const bool cable = w.contains("cable");
    const TMemoryChannelRecord kept{false, 1, 99, "kept"};
    // clang-format off
    // Commands with one number that answer nothing, then those that answer a number.
    const std::map<QString, std::function<void(int)>> acts = {
        {"antenna", [&](int v) { ch->UseAntenna(v); }},
        {"select", [&](int v) { c.SelectChannel(v); }},
        {"settable", [&](int v) { c.SetTable(v); }}, {"setstd", [&](int v) { c.SetStandard(v); }},
        {"save", [&](int) { c.SaveState(); }}, {"restore", [&](int) { c.RestoreState(); }},
        {"reset", [&](int) { c.Reset(); }}, {"attach", [&](int) { c.SetTuner(&t); }},
        {"routes", [&](int v) { t.Routes = v; }}, {"restart", [&](int v) { t.RestartResult = v; }},
        {"readings", [&](int v) { t.Readings = v; }},
        {"refuse", [&](int v) { t.AudioRefusals[v] = n(2); }},
        {"chip", [&](int v) { MainInfo = &main, main.ChipFamily = quint8(v); }},
        {"pfill", [&](int v) { p.Fill(v); }}, {"pstart", [&](int v) { p.SetStart(v); }},
        {"prefill", [&](int) { p.Refill(); }}, {"pnext", [&](int) { p.NextPage(); }},
        {"preset", [&](int) { p.Reset(); }}, {"fillmem", [&](int) { c.MemoryChannels.fill(kept); }},
        {"spread", [&](int v) { c.SpreadFMMemories(quint32(v), quint32(n(2))); }},
        {"country", [&](int v) { c.CountryCode = v, c.TVSystemChoice = quint8(n(2)); }},
        {"abortat", [&](int v) { abortAt = v; }}, {"nested", [&](int) { nested = true; }},
        {"tmax", [&](int v) { t.Max = v; }},
        {"marker", [&](int) { test::WriteFile(test::Home() + "MaxAutoScan.cfg", ""); }}};
    const std::map<QString, std::function<int(int)>> asks = {
        {"up", [&](int) { return c.ChannelUp(); }}, {"down", [&](int) { return c.ChannelDown(); }},
        {"recall", [&](int) { return c.Recall(); }},
        {"source", [&](int v) { return c.SetVideoSource(v); }},
        {"audiomode", [&](int v) { return c.SetAudioMode(v); }},
        {"applystd", [&](int v) { return c.ApplyStandard(v); }},
        {"changestd", [&](int v) { return c.ChangeStandard(v); }},
        {"insert", [&](int v) { return c.InsertChannel(v, cable); }},
        {"delete", [&](int v) { return c.DeleteChannel(v, cable); }},
        {"insertmem", [&](int v) { return c.InsertMemory(v); }},
        {"deletemem", [&](int v) { return c.DeleteMemory(v); }},
        {"pdim", [&](int v) { return p.SetDimension(v), p.Dimension; }},
        {"autoscan", [&](int v) { return c.AutoScan(v); }},
        {"freescan", [&](int v) { return c.FreeScan(v); }},
        {"same", [&](int) { return c.CableChannels == c.AntennaChannels; }},
        {"kept", [&](int) { return int(std::ranges::count(c.MemoryChannels, kept)); }},
        {"standards", [&](int) {  // records on the current standard
           const auto on = [&](const auto& table) {
             return std::ranges::count(table, c.Standard, &TChannelRecord::Standard); };
           return int(on(c.AntennaChannels) + on(c.CableChannels)); }}};
    if (acts.contains(op)) acts.at(op)(n(1));
    if (asks.contains(op)) return QString::number(asks.at(op)(n(1)));
    if (op == "fresh") ch = std::make_unique<test::Channels>(), MainInfo = nullptr, Watch();
    if (op == "band" || op == "carriers") {  // band limit carrier...; carriers count first step
      std::vector<qint64> carriers;
      for (int i = 2; op == "band" && i < w.size(); ++i) carriers.push_back(w[i].toLongLong());
      for (int i = 0; op == "carriers" && i < n(1); ++i)
        carriers.push_back(n(2) + i * qint64(n(3)));
      t.Receive = Band(carriers, op == "band" ? n(1) : 1000);
    }
    if (op == "centre")  // a carrier at 50 MHz with a wide centre of zero offsets
      t.Receive = [](quint32 hertz) {
        const qint64 d = qint64(hertz) - 50000000;
        if (std::llabs(d) > 1500000) return FakeTuner::Reading{};
        return FakeTuner::Reading{true, std::llabs(d) <= 300000 ? 0 : qint32(d / 100000)};
      };
    if (op == "grid")  // grid count first step: default frequencies of channels 1..count
      for (int i = 1; i <= TChannelInfo::kChannelCount; ++i)
        c.ChannelRecord(false, i)->DefaultFrequency = c.ChannelRecord(true, i)->DefaultFrequency =
            i <= n(1) ? quint32(n(2) + i * n(3)) : 0;
    if (op == "bare") {  // without a tuner both scans fail
      TChannelInfo bare;
      bare.AbortScan = true;
      return Join({bare.AutoScan(2), bare.AbortScan, bare.FreeScan(250000), bare.Scanning});
    }
    if (op == "valid") List(1, int(w.size()) - 1, [&](int i) { return ch->MakeValid(n(i)), ""; });
    if (op == "search") return Join({c.NextValid(n(1)), c.PrevValid(n(1))});
    if (op == "set") {  // a field, or an FM entry emptied, or a memory entry made invalid
      const QString& f = w[1];
      if (f == "fm") c.FMChannels[size_t(n(2))].Frequency = 0;
      if (f == "memvalid") c.MemoryChannels[size_t(n(2))].Valid = false;
      if (f == "table" || f == "audio" || f == "std")
        (f == "table" ? c.CurrentTable : f == "audio" ? c.AudioMode : c.Standard) = quint8(n(2));
      if (f == "cur" || f == "prev" || f == "mem" || f == "verify")
        (f == "cur" ? c.CurChannel : f == "prev" ? c.PrevChannel
                     : f == "mem" ? c.CurMemory : c.VerifyCount) = n(2);
    }
    if (op == "pset" && w[1] == "customize") p.Customize = n(2);
    if (op == "pset" && w[1] != "customize") (w[1] == "interval" ? p.Interval : p.Dimension) = n(2);
    if (op == "pcell") p.Grid[size_t(n(1))][size_t(n(2))] = {quint8(n(3)), n(4)};
    if (op == "pcustom") p.CustomGrid[size_t(n(1))][size_t(n(2))] = {quint8(n(3)), n(4)};
    if (op == "record")  // record antenna|cable n valid found standard audio frequency default name
      *c.ChannelRecord(cable, n(2)) = {n(3) != 0, n(4) != 0, quint8(n(5)), quint8(n(6)),
                                       w.value(7).toUInt(), w.value(8).toUInt(), name(9), name(10)};
    if (op == "memory")  // memory index valid source channel name
      c.MemoryChannels[size_t(n(1))] = {n(2) != 0, quint8(n(3)), n(4), name(5)};
    if (op == "fill")  // records named by their number; cable ones valid, found, sound 1, n Hz
      for (int i = 1; i <= TChannelInfo::kChannelCount; ++i) {
        *c.ChannelRecord(true, i) = {true, true, 0, 1, quint32(i), 0, QString::number(i), ""};
        c.ChannelRecord(false, i)->Name = QString::number(i);
      }
    const auto each = [&](auto f) { return List(1, w.size() - 1, [&](int i) { return f(n(i)); }); };
    if (op == "antennas" || op == "cables")
      return each([&](int i) {
        const TChannelRecord& r = *c.ChannelRecord(op == "cables", i);
        return Join({int(r.Valid), int(r.Found), r.Standard, r.AudioMode, r.Frequency,
                     r.DefaultFrequency, "'" + r.Name + "'"}, true);
      });
    if (op == "memories")
      return each([&](int i) {
        const TMemoryChannelRecord& m = c.MemoryChannels[size_t(i)];
        return Join({int(m.Valid), m.Source, m.Channel, "'" + m.Name + "'"}, true);
      });
    if (op == "fms")
      return each([&](int i) {
        const TFMMemoryChannelRecord& m = c.FMChannels[size_t(i)];
        return Join({m.Frequency, "'" + m.Name + "'"}, true);
      });
    if (op == "preview") {  // then the cells in use, "row column = shown or kind / channel"
      QStringList cells = {Join({"count", p.Count(), "start", p.StartChannel, "next", p.NextChannel,
                                 "dimension", p.Dimension, "interval", p.Interval,
                                 "customize", int(p.Customize)})};
      for (int i = 0; i < 25; ++i) {
        const TPreviewCell& g = p.Grid[size_t(i / 5)][size_t(i % 5)];
        const TSourceMapCell& k = p.CustomGrid[size_t(i / 5)][size_t(i % 5)];
        const QString at = QStringLiteral("%1%2=%3/%4").arg(i / 5).arg(i % 5);
        if (g != TPreviewCell{}) cells << at.arg(g.Shown).arg(g.Channel);
        if (k != TSourceMapCell{}) cells << "custom " + at.arg(k.Kind).arg(k.Channel);
      }
      return cells.join(' ');
    }
    if (op == "setup")
      return Join({int(c.VerifyOptionShown), int(c.SetupNeeded()), c.ValidCount()});
    if (op == "names")
      return List(0, 5, [&](int m) { return TChannelInfo::AudioModeName(m, n(1)); }, "|");
    if (op == "dsstd")
      return List(-1, 11, [&](int i) { return QString::number(c.DirectShowStandard(i), 16); });
    // clang-format on
    return "";
  }

  QString State() const {
    const TChannelInfo& c = ch->info;
    // clang-format off
    return Join({"table", c.CurrentTable, "ch", c.CurChannel, c.PrevChannel, "mem", c.CurMemory,
                 c.PrevMemory, "fm", c.CurFM, c.PrevFM, "audio", c.AudioMode,
                 "source", c.VideoSource, "std", c.Standard, "verify", c.VerifyCount,
                 "lock", ch->tuner.ReadingsAtTune, "scanning", int(c.Scanning),
                 "coarse", int(ch->tuner.Coarse)});
    // clang-format on
  }

  // The transcript with every result line written anew.
  QString Transcript(const QString& script) {
    QStringList out;
    for (const QString& line : script.split('\n')) {
      if (line.startsWith("= ")) continue;
      out << line;
      if (!line.startsWith("> ")) continue;
      ch->Clear(), ch->done.clear(), found.clear(), calls = 0, inOrder = true, coarse = false;
      test::Dialogs().Warnings.clear();
      const qint64 start = test::Clock().NowMs();
      QStringList parts = {"= " + Run(line.mid(2).split(' ', Qt::SkipEmptyParts))};
      if (!ch->events.isEmpty()) parts << "said: " + ch->events.join(", ");
      // A scan's many card calls and finds are shortened to their first and last ones.
      const auto shortened = [](const QStringList& l) {
        return l.size() <= 20 ? l : l.mid(0, 3) + QStringList{"..."} + l.mid(l.size() - 2);
      };
      const QStringList& log = ch->tuner.Log;
      if (log.size() > 20)
        parts << QStringLiteral("card: %1 calls, %2 tunes")
                     .arg(log.size())
                     .arg(log.filter(QRegularExpression("^tv ")).size());
      if (!log.isEmpty()) parts << "card: " + shortened(log).join(", ");
      if (calls)
        parts << QStringLiteral("progress: %1 %2%3 ")
                         .arg(calls)
                         .arg(inOrder ? "in order" : "out of order")
                         .arg(coarse ? " coarse" : "") +
                     shortened(found).join(' ');
      if (!ch->done.isEmpty()) parts << "done: " + ch->done.join(", ");
      for (const QStringList& warning : test::Dialogs().Warnings)
        parts << "warned: " + warning.join(' ');
      if (const qint64 waited = test::Clock().NowMs() - start)
        parts << QString::number(waited) + " ms";
      out << parts.join(" | ") + " | " + State();
    }
    return out.join('\n');
  }
};

}  // namespace

TEST(ChannelInfo, StepsFollowTheTranscript) {
  const QString script =
      QString::fromUtf8(test::ReadFile(test::Fixture("settings/ChannelSteps.txt")));
  // A failure shows the lines that differ.
  EXPECT_EQ(Steps().Transcript(script).toStdString(), script.toStdString());
}
