#include "engine/AudioAdjustInfo.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/mixer/TVirtualMixer.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::mixer;
using engine::TAudioAdjustInfo;

namespace {

TVirtualMixerDestination Speakers(const QStringList& lines) {
  return TVirtualMixer::Destination(TMixerDestinationType::Speakers, "Volume Control", lines);
}
TVirtualMixerDestination Recording(const QStringList& lines) {
  return TVirtualMixer::Destination(TMixerDestinationType::WaveIn, "Recording Control", lines);
}

// The audio-adjust object over a virtual mixer the test keeps a handle on.
struct Rig {
  TVirtualMixer* mixer;
  std::unique_ptr<TAudioAdjustInfo> info;
  QStringList events;

  explicit Rig(std::vector<TVirtualMixerDevice> devices) {
    auto owned = std::make_unique<TVirtualMixer>(std::move(devices));
    mixer = owned.get();
    info = std::make_unique<TAudioAdjustInfo>(std::move(owned));
    info->OnVolumeChange = [this](TAudioAdjustInfo& sender, qint32 volume, bool muted) {
      EXPECT_EQ(&sender, info.get());
      events << QStringLiteral("%1%2").arg(volume).arg(muted ? " muted" : "");
    };
  }
  const TVirtualMixerDestination& Destination(int device, int destination) const {
    return mixer->Device(device).Destinations[size_t(destination)];
  }
  // Volume, mute, line mute, channel mode and record level in one line.
  std::string State() const {
    return QStringLiteral("v%1 m%2 l%3 c%4 r%5")
        .arg(info->Volume()).arg(info->Muted()).arg(info->LineMuted()).arg(info->ChannelMode())
        .arg(info->Levels.RecordLevel).toStdString();
  }
  // The last request: destination, line, left, right and mute (-1: left as it is).
  QString LastRequest() const {
    const auto& r = mixer->Requests.back();
    return QStringLiteral("%1 %2 %3 %4 %5").arg(r.Destination).arg(r.Line).arg(r.Change.Left.value_or(-1))
        .arg(r.Change.Right.value_or(-1)).arg(r.Change.Mute ? int(*r.Change.Mute) : -1);
  }
};

// One sound card as most machines have it.
std::vector<TVirtualMixerDevice> OneCard() {
  return {{"Sound Card",
           {Speakers({"CD Audio", "Line In", "Microphone"}), Recording({"CD Audio", "Line In", "Microphone"})}}};
}

std::vector<TVirtualMixerDevice> CMediaRear(int secondDestinationLines, bool canRecord = true) {
  QStringList lines;
  for (int i = 0; i < secondDestinationLines; ++i) lines << QStringLiteral("In %1").arg(i);
  TVirtualMixerDevice device{"C-Media Rear Out", {Speakers({"Line In", "Wave"})}};
  device.Destinations.push_back(canRecord ? Recording(lines)
                                          : TVirtualMixer::Destination(TMixerDestinationType::Headphones, "Phones", lines));
  return {device};
}

}  // namespace

// At creation: the line of the card's sound, to play and to record, is the last whose name mentions
// "line" (any case), else the last; the master and the recording level are read.
TEST(AudioAdjustInfo, CreationChoosesTheLastLineMentioningLineAndReadsTheLevels) {
  const std::pair<QStringList, int> rows[] = {
      {{"CD Audio", "Line In", "Microphone"}, 1}, {{"Line 1", "Mic", "AUX LINE", "CD"}, 2},
      {{"CD Audio", "Microphone", "Wave"}, 2}, {{"Mono"}, 0}, {{}, -1}};
  for (const auto& [lines, chosen] : rows) {
    Rig rig({{"Card", {Speakers(lines), Recording(lines)}}});
    const TAudioAdjustInfo& i = *rig.info;
    EXPECT_EQ(std::tuple(i.PlaybackLineNames(), i.RecordLineNames(), i.Levels.PlaybackLine,
                         i.Levels.RecordLine),
              std::tuple(lines, lines, chosen, chosen))
        << lines.join(',').toStdString();
  }
  std::vector<TVirtualMixerDevice> devices = OneCard();
  devices[0].Destinations[0].Volume = {40000, 30000, true};
  devices[0].Destinations[1].Lines[1].Volume = {0, 12345, false};
  EXPECT_EQ(Rig(devices).State(), "v30000 m1 l0 c0 r12345");
}

TEST(AudioAdjustInfo, EveryDeviceIsDescribedAndTheRecordingOneIsThePlaybackOneUnlessAnotherHasTwoLines) {
  // The devices, the playback and the recording one and its name; each device described by product,
  // speakers and record destinations and their line counts.
  const std::tuple<std::vector<TVirtualMixerDevice>, int, int, const char*, QStringList> rows[] = {
      {{{"Onboard", {Speakers({"Line In"})}}, {"USB Box", {Speakers({"Wave"}), Recording({"Line", "Mic"})}}}, 0, 1,
       "USB Box", {"Onboard 0 -1 1 0", "USB Box 0 1 1 2"}},
      {{{"Onboard", {Speakers({"Line In"}), Recording({"Line In"})}}, {"USB Box", {Recording({"L", "M", "C"})}}}, 0,
       0, "Onboard", {"Onboard 0 1 1 1", "USB Box -1 0 0 3"}},
      // The playback device records even on its first destination.
      {{{"Onboard", {Recording({"Line In"}), Speakers({"A", "B"})}}, {"USB Box", {Recording({"L", "M"})}}}, 0, 0,
       "Onboard", {"Onboard 1 0 2 1", "USB Box -1 0 0 2"}},
      // A later destination of the same kind overrides an earlier one.
      {{{"Speakers", {Speakers({"Line In"})}}, {"One line", {Recording({"Line"})}},
        {"Two", {Recording({"M"}), Speakers({"A", "B"}), Recording({"L", "M"})}}}, 0, 2, "Two",
       {"Speakers 0 -1 1 0", "One line -1 0 0 1", "Two 1 2 2 2"}},
      // The first device with two lines records when the playback one cannot.
      {{{"Capture", {Recording({"L", "M"})}}, {"Speakers", {Speakers({"Line In"})}},
        {"Capture 2", {Recording({"A", "B"})}}}, 1, 0, "Capture",
       {"Capture -1 0 0 2", "Speakers 0 -1 1 0", "Capture 2 -1 0 0 2"}},
  };
  for (const auto& [devices, playback, record, name, described] : rows) {
    SCOPED_TRACE(name);
    Rig rig(devices);
    QStringList found;
    for (const auto& m : rig.info->Mixers())
      found << QStringLiteral("%1 %2 %3 %4 %5").arg(m.ProductName).arg(m.SpeakersDestination)
                   .arg(m.RecordDestination).arg(m.SpeakersLineCount).arg(m.RecordLineCount);
    EXPECT_EQ(found, described);
    EXPECT_EQ(std::tuple(rig.info->PlaybackMixer(), rig.info->RecordMixer(), rig.info->RecordDeviceName()),
              std::tuple(playback, record, QString(name)));
  }
  Rig rig(std::get<0>(rows[0]));
  ASSERT_TRUE(rig.info->SetVolume(1000) && rig.info->SetRecordLevel(2000));
  EXPECT_EQ(rig.Destination(0, 0).Volume.Left, 1000);
  EXPECT_EQ(rig.Destination(1, 0).Volume.Left, 49152);  // the second device's speakers untouched
  EXPECT_EQ(rig.Destination(1, 1).Lines[0].Volume, (TMixerVolume{2000, 2000, false}));
}


TEST(AudioAdjustInfo, VolumeAndRecordLevelAreClampedToZeroTo65536AndTheLevelFollowsTheChosenRecordLine) {
  const std::pair<qint64, int> rows[] = {{70000, 65536}, {-5, 0}, {30000, 30000}, {65536, 65536}};
  for (const auto& [asked, sent] : rows) {
    Rig rig(OneCard());
    ASSERT_TRUE(rig.info->SetVolume(asked));
    EXPECT_EQ(rig.LastRequest(), QStringLiteral("0 %1 %2 %2 -1").arg(kDestinationControl).arg(sent));
    ASSERT_TRUE(rig.info->SetRecordLevel(asked));
    EXPECT_EQ(rig.LastRequest(), QStringLiteral("1 1 %1 %1 -1").arg(sent));
  }
  Rig rig(OneCard());
  rig.info->Levels.RecordLine = 2;  // the wizard's "Record Sound:" choice
  ASSERT_TRUE(rig.info->SetRecordLevel(1234));
  EXPECT_EQ(rig.Destination(0, 1).Lines[2].Volume.Left, 1234);
  rig.info->Levels.RecordLine = 9;  // a line this device does not have
  EXPECT_FALSE(rig.info->SetRecordLevel(50));
  EXPECT_EQ(rig.info->Levels.RecordLevel, 1234);
  rig.info->Levels.RecordLine = 1;
  rig.info->Levels.SetRecordLevel(70000);  // as the main settings file loads it
  ASSERT_TRUE(rig.info->SetRecordLevel(rig.info->Levels.RecordLevel));
  EXPECT_EQ(rig.Destination(0, 1).Lines[1].Volume.Left, 65535);
}

TEST(AudioAdjustInfo, ChannelModeSilencesOneSideMuteAndLineMuteKeepTheLevels) {
  Rig rig(OneCard());
  ASSERT_TRUE(rig.info->SetVolume(30000));
  const std::pair<quint8, TMixerVolume> rows[] = {{2, {30000, 0, false}}, {1, {0, 30000, false}}, {0, {30000, 30000, false}}};
  for (const auto& [mode, expected] : rows) {
    // After 2 the right is silent, so the volume carried to 1 is read from the left.
    ASSERT_TRUE(rig.info->SetChannelMode(mode));
    EXPECT_EQ(rig.Destination(0, 0).Volume, expected) << int(mode);
    ASSERT_TRUE(rig.info->SetVolume(30000));
    EXPECT_EQ(rig.Destination(0, 0).Volume, expected) << int(mode);
    EXPECT_EQ(rig.State(), "v30000 m0 l0 c" + std::to_string(mode) + " r49152");
  }
  const size_t requests = rig.mixer->Requests.size();
  EXPECT_TRUE(rig.info->SetChannelMode(0));
  EXPECT_EQ(rig.mixer->Requests.size(), requests) << "the same mode again changes nothing";
  EXPECT_FALSE(rig.info->SetChannelMode(3));
  EXPECT_EQ(rig.info->ChannelMode(), 0);
  // Master mute sets the speakers destination, line mute only the chosen line.
  for (bool on : {true, false}) {
    ASSERT_TRUE(rig.info->SetMasterMute(on));
    EXPECT_EQ(rig.Destination(0, 0).Volume, (TMixerVolume{30000, 30000, on}));  // levels untouched
    EXPECT_EQ(rig.info->Muted(), on);
  }
  for (int line : {1, 0}) {  // the scan's choice, then the wizard's "TV Live Sound:" one
    rig.info->Levels.PlaybackLine = line;
    ASSERT_TRUE(rig.info->SetLineMute(true));
    EXPECT_TRUE(rig.Destination(0, 0).Lines[size_t(line)].Volume.Mute);
    EXPECT_FALSE(rig.Destination(0, 0).Lines[size_t(1 - line)].Volume.Mute);
    EXPECT_EQ(rig.State(), "v30000 m0 l1 c0 r49152");
    ASSERT_TRUE(rig.info->SetLineMute(false));
    EXPECT_FALSE(rig.info->LineMuted());
    EXPECT_FALSE(rig.Destination(0, 0).Lines[size_t(line)].Volume.Mute);
  }
}

TEST(AudioAdjustInfo, MixerChangesReachOnVolumeChangeUnlessOnAnUnusedDeviceOrAfterDestruction) {
  Rig rig({{"Used", OneCard()[0].Destinations}, {"Unused", {Speakers({"Line In"})}}});
  rig.mixer->ChangeFromOutside(1, 0, kDestinationControl, {.Mute = true});
  rig.mixer->ChangeFromOutside(0, 0, kDestinationControl, {.Left = 20000, .Right = 20000, .Mute = true});
  rig.mixer->ChangeFromOutside(0, 1, 1, {.Left = 777, .Right = 777});
  EXPECT_TRUE(rig.events.isEmpty());
  platform::PumpMessages();
  EXPECT_EQ(rig.events, QStringList({"20000 muted", "20000 muted"}));
  EXPECT_EQ(rig.State(), "v20000 m1 l0 c0 r777");
  rig.events.clear();
  rig.info->SetVolume(1000);  // own changes are reported too, and line changes like controls
  rig.mixer->NotifyLineChange(0);
  platform::PumpMessages();
  EXPECT_EQ(rig.events, QStringList({"1000 muted", "1000 muted"}));
  rig.info->SetVolume(5);
  rig.info.reset();
  platform::PumpMessages();  // no call into the freed object
  EXPECT_EQ(rig.events.size(), 2);
}

TEST(AudioAdjustInfo, OnlyACMediaRearWithThreeRecordingLinesUsesTheMonitorAndAFailedStartIsTriedAgain) {
  const std::tuple<const char*, std::vector<TVirtualMixerDevice>, bool> rows[] = {
      {"three lines", CMediaRear(3), true}, {"two lines", CMediaRear(2), false},
      {"four lines", CMediaRear(4), false}, {"no recording destination", CMediaRear(3, false), false},
      {"another product", OneCard(), false}};
  for (const auto& [what, devices, needed] : rows) {
    SCOPED_TRACE(what);
    test::System().StartedPrograms.clear();
    Rig rig(devices);
    EXPECT_EQ(rig.info->DetectLineInMonitor(), needed);
    EXPECT_EQ(rig.info->UseLineInMonitor() && rig.info->LineInMonitorOn(), needed);
    EXPECT_EQ(test::System().StartedPrograms, needed ? QStringList({"LineInMon on"}) : QStringList());
    EXPECT_TRUE(needed || (rig.info->SetLineMute(true) && rig.info->LineMuted()));  // the ordinary mute
    if (!needed) continue;
    // With the monitor, line mute switches it instead of muting a line.
    const size_t requests = rig.mixer->Requests.size();
    EXPECT_TRUE(rig.info->SetLineMute(true) && !rig.info->LineInMonitorOn());
    // Already off: not started again.
    EXPECT_TRUE(rig.info->SetLineMute(true) && rig.info->SetLineMute(false));
    EXPECT_EQ(test::System().StartedPrograms, QStringList({"LineInMon on", "LineInMon off", "LineInMon on"}));
    EXPECT_TRUE(rig.mixer->Requests.size() == requests && !rig.info->LineMuted());
  }
  // The machine's own services start only companions installed beside the program: none here.
  platform::SetSystemServices(nullptr);
  Rig refused(CMediaRear(3));
  EXPECT_TRUE(refused.info->DetectLineInMonitor());
  EXPECT_FALSE(refused.info->LineInMonitorOn());
  EXPECT_FALSE(refused.info->SetLineMute(false));
  EXPECT_FALSE(refused.info->LineInMonitorOn());
  platform::SetSystemServices(&test::System());
}

TEST(AudioAdjustInfo, WithoutAMixerWithHalfADeviceOrWithFailingCallsOnlyWhatWorksChanges) {
  // What is there, its devices, whether calls fail; whether it has speakers, the recording device and its name.
  const std::tuple<const char*, std::vector<TVirtualMixerDevice>, bool, bool, int, const char*> rows[] = {
      {"none", {}, false, false, -1, ""},
      {"failing", OneCard(), true, true, 0, "Sound Card"},
      {"capture only", {{"Capture Only", {Recording({"Line", "Mic"})}}}, false, false, 0, "Capture Only"},
      {"speakers only", {{"Speakers Only", {Speakers({"Line In"})}}}, false, true, -1, ""},
  };
  for (const auto& [what, devices, failing, speakers, recordMixer, recordName] : rows) {
    SCOPED_TRACE(what);
    Rig rig(devices);
    ASSERT_TRUE(!failing || (rig.info->SetVolume(30000) && rig.info->SetRecordLevel(4000)));
    rig.mixer->FailCalls = failing;
    EXPECT_EQ(rig.info->HasMixer(), speakers);
    EXPECT_EQ(rig.info->PlaybackMixer(), speakers ? 0 : -1);
    EXPECT_EQ(rig.info->RecordMixer(), recordMixer);
    EXPECT_EQ(rig.info->RecordDeviceName(), recordName);
    EXPECT_EQ(rig.info->RecordLineNames().isEmpty(), !failing);
    const std::string before = rig.State();
    const bool works = speakers && !failing;
    EXPECT_FALSE(rig.info->SetRecordLevel(9));
    EXPECT_EQ(QList<bool>({rig.info->SetVolume(100), rig.info->SetMasterMute(true), rig.info->SetLineMute(true),
                           rig.info->SetChannelMode(2)}), QList<bool>(4, works));
    EXPECT_FALSE(rig.info->DetectLineInMonitor());
    EXPECT_EQ(rig.State(), works ? "v100 m1 l1 c2 r0" : before);
    EXPECT_TRUE(!devices.empty() || (rig.info->Mixers().empty() && rig.mixer->Requests.empty()));
  }
  Rig capture({{"Capture Only", {Recording({"Line", "Mic"})}}});
  capture.mixer->ChangeFromOutside(0, 0, 0, {.Left = 1});
  platform::PumpMessages();
  EXPECT_TRUE(capture.events.isEmpty());
}
