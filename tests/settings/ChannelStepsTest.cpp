// Steps on the channel object read from a transcript: each "> command arguments" line is run and
// followed by one line of what the command gave back, what was announced, what the card was told,
// what was warned, how long it waited, and the state afterwards. "#" lines are notes.

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "platform/Clock.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

using namespace pvx;
using namespace pvx::settings;

namespace {

// Values joined by spaces, in brackets when they make up a record.
QString Join(const QVariantList& values, bool record = false) {
  QStringList out;
  for (const QVariant& v : values) out << v.toString();
  return record ? "[" + out.join(' ') + "]" : out.join(' ');
}

// f(i) for i in [from, to], joined by `separator`.
template <typename F>
QString List(int from, int to, F f, const char* separator = " ") {
  QStringList out;
  for (int i = from; i <= to; ++i) out << f(i);
  return out.join(separator);
}

struct Steps {
  TMainInfo main;
  std::unique_ptr<test::Channels> ch = std::make_unique<test::Channels>();

  // The command's own answer.
  QString Run(const QStringList& w) {
    TChannelInfo& c = ch->info;
    const auto n = [&](int i) { return w.value(i).toInt(); };
    const auto name = [&](int i) { return QString(w.value(i)).replace('_', ' '); };
    const QString& op = w[0];
    const bool cable = w.value(1) == "cable" || w.value(2) == "cable";
    if (op == "fresh") ch = std::make_unique<test::Channels>(), MainInfo = nullptr;
    if (op == "valid") List(1, int(w.size()) - 1, [&](int i) { return ch->MakeValid({n(i)}), ""; });
    if (op == "antenna") ch->UseAntenna(n(1));
    if (op == "up") return QString::number(c.ChannelUp());
    if (op == "down") return QString::number(c.ChannelDown());
    if (op == "recall") return QString::number(c.Recall());
    if (op == "search") return Join({c.NextValid(n(1)), c.PrevValid(n(1))});
    if (op == "select") c.SelectChannel(n(1));
    if (op == "settable") c.SetTable(n(1));
    if (op == "source") return QString::number(c.SetVideoSource(n(1)));
    if (op == "audiomode") return QString::number(c.SetAudioMode(n(1)));
    if (op == "applystd") return QString::number(c.ApplyStandard(n(1)));
    if (op == "changestd") return QString::number(c.ChangeStandard(n(1)));
    if (op == "setstd") c.SetStandard(n(1));
    if (op == "chip") MainInfo = &main, main.ChipFamily = quint8(n(1));
    if (op == "insert") return QString::number(c.InsertChannel(n(1), cable));
    if (op == "delete") return QString::number(c.DeleteChannel(n(1), cable));
    if (op == "insertmem") return QString::number(c.InsertMemory(n(1)));
    if (op == "deletemem") return QString::number(c.DeleteMemory(n(1)));
    if (op == "spread") c.SpreadFMMemories(quint32(n(1)), quint32(n(2)));
    if (op == "save") c.SaveState();
    if (op == "restore") c.RestoreState();
    if (op == "reset") c.Reset();
    if (op == "attach") c.SetTuner(&ch->tuner);
    if (op == "refuse") ch->tuner.AudioRefusals[n(1)] = n(2);
    if (op == "routes") ch->tuner.Routes = n(1);
    if (op == "restart") ch->tuner.RestartResult = n(1);
    if (op == "readings") ch->tuner.Readings = n(1);
    if (op == "set") {
      const QString& f = w[1];
      if (f == "fm" || f == "memvalid")  // an FM entry emptied, a memory entry made invalid
        f == "fm" ? void(c.FMChannels[size_t(n(2))].Frequency = 0)
                  : void(c.MemoryChannels[size_t(n(2))].Valid = false);
      else if (f == "table" || f == "audio" || f == "std")
        (f == "table" ? c.CurrentTable : f == "audio" ? c.AudioMode : c.Standard) = quint8(n(2));
      else
        (f == "cur"    ? c.CurChannel
         : f == "prev" ? c.PrevChannel
         : f == "mem"  ? c.CurMemory
                       : c.VerifyCount) = n(2);
    }
    // record antenna|cable n valid found standard audio frequency default name
    if (op == "record")
      *c.ChannelRecord(cable, n(2)) = {
          n(3) != 0,           n(4) != 0,           quint8(n(5)), quint8(n(6)),
          w.value(7).toUInt(), w.value(8).toUInt(), name(9),      name(10)};
    if (op == "memory")  // memory index valid source channel name
      c.MemoryChannels[size_t(n(1))] = {n(2) != 0, quint8(n(3)), n(4), name(5)};
    // Every record named by its number; the cable ones valid, found, audio mode 1, tuned to n Hz.
    if (op == "fill")
      for (int i = 1; i <= TChannelInfo::kChannelCount; ++i) {
        *c.ChannelRecord(true, i) = {true, true, 0, 1, quint32(i), 0, QString::number(i), ""};
        c.ChannelRecord(false, i)->Name = QString::number(i);
      }
    const TMemoryChannelRecord kept{false, 1, 99, "kept"};
    if (op == "fillmem") c.MemoryChannels.fill(kept);
    if (op == "kept") return QString::number(std::ranges::count(c.MemoryChannels, kept));
    const auto each = [&](auto f) {
      return List(1, int(w.size()) - 1, [&](int i) { return f(n(i)); });
    };
    if (op == "antennas" || op == "cables")
      return each([&](int i) {
        const TChannelRecord& r = *c.ChannelRecord(op == "cables", i);
        return Join({int(r.Valid), int(r.Found), r.Standard, r.AudioMode, r.Frequency,
                     r.DefaultFrequency, "'" + r.Name + "'"},
                    true);
      });
    if (op == "memories")
      return each([&](int i) {
        const TMemoryChannelRecord& m = c.MemoryChannels[size_t(i)];
        return Join({int(m.Valid), m.Source, m.Channel, "'" + m.Name + "'"}, true);
      });
    if (op == "fms")
      return each([&](int i) {
        return Join({c.FMChannels[size_t(i)].Frequency, "'" + c.FMChannels[size_t(i)].Name + "'"},
                    true);
      });
    if (op == "standards")  // records on the current standard
      return QString::number(
          std::ranges::count(c.AntennaChannels, c.Standard, &TChannelRecord::Standard) +
          std::ranges::count(c.CableChannels, c.Standard, &TChannelRecord::Standard));
    TPreviewInfo& p = ch->preview;
    if (op == "pfill") p.Fill(n(1));
    if (op == "pstart") p.SetStart(n(1));
    if (op == "prefill") p.Refill();
    if (op == "pnext") p.NextPage();
    if (op == "pdim") return p.SetDimension(n(1)), QString::number(p.Dimension);
    if (op == "preset") p.Reset();
    if (op == "pset" && w[1] == "customize") p.Customize = n(2);
    if (op == "pset" && w[1] != "customize") (w[1] == "interval" ? p.Interval : p.Dimension) = n(2);
    if (op == "pcell") p.Grid[size_t(n(1))][size_t(n(2))] = {quint8(n(3)), n(4)};
    if (op == "pcustom") p.CustomGrid[size_t(n(1))][size_t(n(2))] = {quint8(n(3)), n(4)};
    if (op == "preview") {  // then the cells in use, "row column = shown or kind / channel"
      QStringList cells = {
          Join({"count", p.Count(), "start", p.StartChannel, "next", p.NextChannel, "dimension",
                p.Dimension, "interval", p.Interval, "customize", int(p.Customize)})};
      for (int i = 0; i < 25; ++i) {
        const TPreviewCell& g = p.Grid[size_t(i / 5)][size_t(i % 5)];
        const TSourceMapCell& k = p.CustomGrid[size_t(i / 5)][size_t(i % 5)];
        if (g != TPreviewCell{})
          cells << QStringLiteral("%1%2=%3/%4").arg(i / 5).arg(i % 5).arg(g.Shown).arg(g.Channel);
        if (k != TSourceMapCell{})
          cells << QStringLiteral("custom %1%2=%3/%4")
                       .arg(i / 5)
                       .arg(i % 5)
                       .arg(k.Kind)
                       .arg(k.Channel);
      }
      return cells.join(' ');
    }
    if (op == "marker") test::WriteFile(test::Home() + "MaxAutoScan.cfg", "");
    if (op == "country") c.CountryCode = n(1), c.TVSystemChoice = quint8(n(2));
    if (op == "setup")
      return Join({int(c.VerifyOptionShown), int(c.SetupNeeded()), c.ValidCount()});
    if (op == "names")
      return List(
          0, 5, [&](int m) { return TChannelInfo::AudioModeName(m, n(1)); }, "|");
    if (op == "dsstd")
      return List(-1, 11,
                  [](int i) { return QString::number(TChannelInfo::DirectShowStandard(i), 16); });
    return "";
  }

  QString State() const {
    const TChannelInfo& c = ch->info;
    return Join({"table",       c.CurrentTable, "ch",
                 c.CurChannel,  c.PrevChannel,  "mem",
                 c.CurMemory,   c.PrevMemory,   "fm",
                 c.CurFM,       c.PrevFM,       "audio",
                 c.AudioMode,   "source",       c.VideoSource,
                 "std",         c.Standard,     "verify",
                 c.VerifyCount, "lock",         ch->tuner.ReadingsAtTune});
  }

  // The transcript with every result line written anew.
  QString Transcript(const QString& script) {
    QStringList out;
    for (const QString& line : script.split('\n')) {
      if (line.startsWith("= ")) continue;
      out << line;
      if (!line.startsWith("> ")) continue;
      ch->Clear();
      test::Dialogs().Warnings.clear();
      const qint64 start = test::Clock().NowMs();
      QStringList parts = {"= " + Run(line.mid(2).split(' ', Qt::SkipEmptyParts))};
      if (!ch->events.isEmpty()) parts << "said: " + ch->events.join(", ");
      if (!ch->tuner.Log.isEmpty()) parts << "card: " + ch->tuner.Log.join(", ");
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
  EXPECT_EQ(Steps().Transcript(script).split('\n'), script.split('\n'));
}
