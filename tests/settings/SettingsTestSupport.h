#pragma once
// Byte builders and shared checks for the settings files; a fake card and a channel object on it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QVariantList>
#include <QtEndian>
#include <array>
#include <map>
#include <vector>

#include "settings/ChannelInfo.h"
#include "settings/ChannelTuner.h"
#include "settings/PreviewInfo.h"
#include "settings/StoredFile.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

namespace pvx::settings {

// Puts the channel model into the exact states its own unit tests start from.
struct TChannelInfoPeer {
  static quint8 &CurrentTable(TChannelInfo &c) { return c.currentTable_; }
  static quint8 &Standard(TChannelInfo &c) { return c.standard_; }
  static qint32 &CountryCode(TChannelInfo &c) { return c.countryCode_; }
  static qint32 &CurChannel(TChannelInfo &c) { return c.curChannel_; }
  static qint32 &CurMemory(TChannelInfo &c) { return c.curMemory_; }
  static quint8 &AudioMode(TChannelInfo &c) { return c.audioMode_; }
  static quint8 &TVSystemChoice(TChannelInfo &c) { return c.tvSystemChoice_; }
  static bool &VerifyOptionShown(TChannelInfo &c) { return c.verifyOptionShown_; }
};

}  // namespace pvx::settings

namespace pvx::test {

inline QByteArray Int(qint32 v) {
  const qint32 le = qToLittleEndian(v);
  return QByteArray(reinterpret_cast<const char *>(&le), 4);
}
inline void Patch(QByteArray &f, qsizetype offset, qint32 v) { f.replace(offset, 4, Int(v)); }

// Values joined by spaces, in brackets when they make up a record.
inline QString Join(const QVariantList &values, bool record = false) {
  QStringList out;
  for (const QVariant &v : values) out << v.toString();
  return record ? "[" + out.join(' ') + "]" : out.join(' ');
}

// A good file spoiled six ways: one integer short, a wrong magic or trailer, and the string
// length at `stringAt` beyond the limit three ways (its bytes are then not skipped).
inline std::vector<QByteArray> Spoiled(const QByteArray &good, qsizetype stringAt) {
  std::vector<QByteArray> files(6, good);
  files[0].chop(4);
  Patch(files[1], 0, 4506);
  Patch(files[2], good.size() - 4, 4360);
  for (int i = 0; i < 3; ++i)
    Patch(files[size_t(3 + i)], stringAt, std::array{600, -1, INT32_MAX}[i]);
  return files;
}

// A proven-corrupt file was reported once and now sits, unchanged, beside its old place.
inline void ExpectSetAside(const QString &path, const QByteArray &bytes, const QString &message) {
  ASSERT_EQ(Dialogs().Warnings.size(), 1u);
  EXPECT_EQ(Dialogs().Warnings[0], QStringList({message}));
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_EQ(ReadFile(settings::CorruptCopyPath(path)), bytes);
}

// The failure paths both settings files share, on an object that loads and saves `path`.
struct FailurePaths {
  QString &path;
  std::function<bool()> load, save;
  QString cannotRead, cannotWrite;

  // A folder stands where the file belongs, which no read gets through: reported once, left
  // where it is, not set aside, and (readable again) not saved over.
  void ExpectUnreadableKept() {
    QDir().mkpath(path);
    EXPECT_FALSE(load());
    EXPECT_EQ(Dialogs().Warnings, std::vector<QStringList>({{cannotRead}}));
    EXPECT_FALSE(QFileInfo::exists(settings::CorruptCopyPath(path)));
    ASSERT_TRUE(QDir().rmdir(path));
    WriteFile(path, "the user's own");
    EXPECT_FALSE(save());
    EXPECT_EQ(ReadFile(path), "the user's own");
    EXPECT_EQ(Dialogs().Warnings.size(), 1u);
  }
  // A folder that does not exist, then a target that cannot be replaced: said once, the old
  // content stays and no temporary file is left.
  void ExpectFailedSaveKeepsOld() {
    const QString target = path;
    path = Home() + "no-such-folder/settings.cfg";
    EXPECT_FALSE(save());
    EXPECT_EQ(Dialogs().Warnings, std::vector<QStringList>({{cannotWrite}}));
    path = target;
    WriteFile(path + "/keep", "old");
    EXPECT_FALSE(save());
    EXPECT_EQ(ReadFile(path + "/keep"), "old");
    EXPECT_EQ(QDir(Home()).entryList(QDir::Files).size(), 0) << "left a temporary file";
    // A disk that fills during the write.
    ASSERT_TRUE(QDir(path).removeRecursively());
    WriteFile(path, QByteArray(300, 'o'));
    EXPECT_FALSE(WithDiskFullAfter(100, save));
    EXPECT_EQ(ReadFile(path), QByteArray(300, 'o'));
  }
};

// A card whose reception is a function of the frequency; logs every call in order.
class FakeTuner : public settings::IChannelTuner {
 public:
  struct Reading {
    bool locked = false;
    qint32 offset = 127;
  };
  std::function<Reading(quint32)> Receive = [](quint32) { return Reading{}; };
  QStringList Log;
  std::map<int, int> AudioRefusals;  // mode -> calls refused before it is accepted
  bool AcceptStandard = true, RestartResult = true, Routes = true, Coarse = false;
  int Standard = 0x1, Readings = 1, ReadingsAtTune = 0;
  qint32 Min = 45000000, Max = 100000000, FMLow = 87500000, FMHigh = 108000000;
  Reading Last;

  bool SetTVFrequency(quint32 hertz) override {
    ReadingsAtTune = Readings, Last = Receive(hertz);
    return Note(QStringLiteral("tv %1").arg(hertz));
  }
  bool SetFMFrequency(quint32 hertz) override { return Note(QStringLiteral("fm %1").arg(hertz)); }
  bool SignalLocked() const override { return Last.locked; }
  qint32 PLLOffset() const override { return Last.offset; }
  qint32 TVMin() const override { return Min; }
  qint32 TVMax() const override { return Max; }
  qint32 FMMin() const override { return FMLow; }
  qint32 FMMax() const override { return FMHigh; }
  void SetCoarseTuning(bool on) override { Coarse = on; }
  int SignalReadings() const override { return Readings; }
  void SetSignalReadings(int readings) override { Readings = readings; }
  bool SetVideoStandard(int standard) override {
    Note(QStringLiteral("standard 0x%1").arg(standard, 0, 16));
    return AcceptStandard && (Standard = standard, true);
  }
  int VideoStandard() const override { return Standard; }
  bool SetCountryCode(int code) override { return Note(QStringLiteral("country %1").arg(code)); }
  bool SetTVAudioMode(int mode) override {  // refused while refusals are left
    int &refusals = AudioRefusals[mode];
    return Note(QStringLiteral("audio %1").arg(mode)) && (refusals <= 0 || !refusals--);
  }
  bool SelectVideoSource(int source) override {
    return Note(QStringLiteral("source %1").arg(source)) && Routes;
  }
  void SetLineMute(bool on) override { Note(on ? "mute" : "unmute"); }
  bool RestartPreview() override { return Note("restart") && RestartResult; }
  void SetVendorStandard(int value) override { Note(QStringLiteral("vendor %1").arg(value)); }

 private:
  bool Note(const QString &call) { return Log << call, true; }
};

// The channel object on a fake card, with every announcement logged in order.
struct Channels {
  settings::TChannelInfo info;
  FakeTuner tuner;
  QStringList events;
  QStringList done;  // scan ends, "last found kind aborted"
  settings::TPreviewInfo preview{info};

  Channels() {
    info.SetTuner(&tuner);
    info.OnChannelChange = [this](settings::TChannelInfo &, int n, const QString &text) {
      events << QStringLiteral("channel %1 '%2'").arg(n).arg(text);
    };
    info.OnTableChange = [this](settings::TChannelInfo &, int t) {
      events << QString("table %1").arg(t);
    };
    info.OnSourceChange = [this](settings::TChannelInfo &) { events << "source"; };
    info.OnAudioModeChange = [this](settings::TChannelInfo &, int m, const QString &name) {
      events << QStringLiteral("audio %1 %2").arg(m).arg(name);
    };
    info.OnStandardChange = [this](settings::TChannelInfo &, int s) {
      events << QStringLiteral("standard 0x%1").arg(s, 0, 16);
    };
    info.OnAutoScanDone = [this](settings::TChannelInfo &, int last, int found, int kind, bool aborted) {
      done << QStringLiteral("%1 %2 %3 %4").arg(last).arg(found).arg(kind).arg(aborted);
    };
    info.OnFreeScanDone = [this](settings::TChannelInfo &c, int found, bool aborted) {
      EXPECT_TRUE(c.Scanning());
      done << QStringLiteral("free %1 %2").arg(found).arg(aborted);
    };
  }
  // Antenna table current without tuning anything.
  void UseAntenna(int n) {
    settings::TChannelInfoPeer::CurrentTable(info) = settings::TChannelInfo::kAntenna;
    settings::TChannelInfoPeer::CurChannel(info) = n;
  }
  void MakeValid(int n) {
    settings::TChannelRecord *r = info.ChannelRecord(false, n);
    r->Valid = true;
    r->Frequency = r->DefaultFrequency = 40000000 + quint32(n) * 1000000;
  }
  void Clear() { events.clear(), tuner.Log.clear(); }
};

}  // namespace pvx::test
