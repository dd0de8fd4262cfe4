// Steps on the channel object read from a transcript: each "> command arguments" line is run and
// followed by one line of what the command gave back, what was announced, what the card was told,
// what was warned, how long it waited, and the state afterwards. "#" lines are notes.

#include <gtest/gtest.h>

#include <set>

#include "SettingsTestSupport.h"
#include "platform/Clock.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

using namespace pvx;
using namespace pvx::settings;

namespace {

QString Show(const TChannelRecord& r) {
  return QStringLiteral("[%1%2 %3 %4 %5/%6 '%7']")
      .arg(r.Valid)
      .arg(r.Found)
      .arg(r.Standard)
      .arg(r.AudioMode)
      .arg(r.Frequency)
      .arg(r.DefaultFrequency)
      .arg(r.Name);
}

struct Steps {
  TMainInfo main;
  std::unique_ptr<test::Channels> ch = std::make_unique<test::Channels>();

  // The command's own answer.
  QString Run(const QStringList& w) {
    TChannelInfo& c = ch->info;
    const auto n = [&](int i) { return w.value(i).toInt(); };
    const auto name = [&](int i) { return QString(w.value(i)).replace('_', ' '); };
    const auto records = [&](auto&& show) {
      QStringList out;
      for (int i = 2; i < w.size(); ++i) out << show(n(i));
      return out.join(' ');
    };
    const QString& op = w[0];
    if (op == "fresh") ch = std::make_unique<test::Channels>(), MainInfo = nullptr;
    if (op == "valid")
      for (int i = 1; i < w.size(); ++i) ch->MakeValid({n(i)});
    if (op == "antenna") ch->UseAntenna(n(1));
    if (op == "up") return QString::number(c.ChannelUp());
    if (op == "down") return QString::number(c.ChannelDown());
    if (op == "recall") return QString::number(c.Recall());
    if (op == "search")
      return QStringLiteral("%1 %2").arg(c.NextValid(n(1))).arg(c.PrevValid(n(1)));
    if (op == "select") c.SelectChannel(n(1));
    if (op == "settable") c.SetTable(n(1));
    if (op == "source") return QString::number(c.SetVideoSource(n(1)));
    if (op == "audiomode") return QString::number(c.SetAudioMode(n(1)));
    if (op == "applystd") return QString::number(c.ApplyStandard(n(1)));
    if (op == "changestd") return QString::number(c.ChangeStandard(n(1)));
    if (op == "setstd") c.SetStandard(n(1));
    if (op == "chip") MainInfo = &main, main.ChipFamily = quint8(n(1));
    if (op == "insert") return QString::number(c.InsertChannel(n(1), w.value(2) == "cable"));
    if (op == "delete") return QString::number(c.DeleteChannel(n(1), w.value(2) == "cable"));
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
      const int v = n(2);
      const QString& f = w[1];
      if (f == "table") c.CurrentTable = quint8(v);
      if (f == "cur") c.CurChannel = v;
      if (f == "prev") c.PrevChannel = v;
      if (f == "mem") c.CurMemory = v;
      if (f == "audio") c.AudioMode = quint8(v);
      if (f == "std") c.Standard = quint8(v);
      if (f == "verify") c.VerifyCount = v;
    }
    if (op == "record")  // record antenna|cable n valid found standard audio frequency default name
      *c.ChannelRecord(w[1] == "cable", n(2)) = {
          n(3) != 0,           n(4) != 0,           quint8(n(5)), quint8(n(6)),
          w.value(7).toUInt(), w.value(8).toUInt(), name(9),      name(10)};
    if (op == "memory")  // memory index valid source channel name
      c.MemoryChannels[size_t(n(1))] = {n(2) != 0, quint8(n(3)), n(4), name(5)};
    if (op ==
        "fill")  // every record numbered by its name; cable ones valid, found, in audio mode 1
      for (int i = 1; i <= TChannelInfo::kChannelCount; ++i) {
        *c.ChannelRecord(true, i) = {true, true, 0, 1, quint32(i), 0, QString::number(i), ""};
        c.ChannelRecord(false, i)->Name = QString::number(i);
      }
    if (op == "fillmem") c.MemoryChannels.fill({false, 1, 99, "kept"});
    if (op == "kept")
      return QString::number(std::count(c.MemoryChannels.begin(), c.MemoryChannels.end(),
                                        TMemoryChannelRecord{false, 1, 99, "kept"}));
    if (op == "show" && (w[1] == "antenna" || w[1] == "cable"))
      return records([&](int i) { return Show(*c.ChannelRecord(w[1] == "cable", i)); });
    if (op == "show" && w[1] == "mem")
      return records([&](int i) {
        const TMemoryChannelRecord& m = c.MemoryChannels[size_t(i)];
        return QStringLiteral("[%1 %2 %3 '%4']")
            .arg(m.Valid)
            .arg(m.Source)
            .arg(m.Channel)
            .arg(m.Name);
      });
    if (op == "show" && w[1] == "fm")
      return records([&](int i) {
        const TFMMemoryChannelRecord& m = c.FMChannels[size_t(i)];
        return QStringLiteral("[%1 '%2']").arg(m.Frequency).arg(m.Name);
      });
    if (op == "standards") {
      std::set<int> seen;
      for (bool cable : {false, true})
        for (const TChannelRecord& r : c.Table(cable)) seen.insert(r.Standard);
      QStringList out;
      for (int s : seen) out << QString::number(s);
      return out.join(' ');
    }
    if (op == "names") {
      QStringList out;
      for (int mode = 0; mode <= 5; ++mode) out << TChannelInfo::AudioModeName(mode, n(1));
      return out.join('|');
    }
    if (op == "dsstd") {
      QStringList out;
      for (int i = -1; i <= 11; ++i)
        out << QString::number(TChannelInfo::DirectShowStandard(i), 16);
      return out.join(' ');
    }
    return "";
  }

  QString State() const {
    const TChannelInfo& c = ch->info;
    return QStringLiteral("table %1 ch %2/%3 mem %4/%5 fm %6/%7 audio %8 source %9")
               .arg(c.CurrentTable)
               .arg(c.CurChannel)
               .arg(c.PrevChannel)
               .arg(c.CurMemory)
               .arg(c.PrevMemory)
               .arg(c.CurFM)
               .arg(c.PrevFM)
               .arg(c.AudioMode)
               .arg(c.VideoSource) +
           QStringLiteral(" std %1 verify %2 lock %3")
               .arg(c.Standard)
               .arg(c.VerifyCount)
               .arg(ch->tuner.ReadingsAtTune);
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
        parts << QStringLiteral("%1 ms").arg(waited);
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
