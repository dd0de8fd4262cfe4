#pragma once
// A fake card and a channel object on it, for the channel model and the forms that drive it.

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariantList>
#include <map>

#include "settings/ChannelInfo.h"
#include "settings/ChannelTuner.h"
#include "settings/PreviewInfo.h"
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
};

}  // namespace pvx::settings

namespace pvx::test {

// Values joined by spaces, in brackets when they make up a record.
inline QString Join(const QVariantList &values, bool record = false) {
  QStringList out;
  for (const QVariant &v : values) out << v.toString();
  return record ? "[" + out.join(' ') + "]" : out.join(' ');
}

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
    info.OnChannelChange = [this](auto &, int n, auto &text) {
      events << QStringLiteral("channel %1 '%2'").arg(n).arg(text);
    };
    info.OnTableChange = [this](auto &, int t) { events << QString("table %1").arg(t); };
    info.OnSourceChange = [this](auto &) { events << "source"; };
    info.OnAudioModeChange = [this](auto &, int m, auto &name) {
      events << QStringLiteral("audio %1 %2").arg(m).arg(name);
    };
    info.OnStandardChange = [this](auto &, int s) {
      events << QStringLiteral("standard 0x%1").arg(s, 0, 16);
    };
    info.OnAutoScanDone = [this](auto &, int last, int found, int kind, bool aborted) {
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
