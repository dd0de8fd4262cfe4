// Real cards on scripted drivers, where they differ from the virtual card: discovery, the
// driver calls behind each request and the failure when the driver fails them, lock and PLL
// from the tuner's readings, the radio node, standards, controls and TV sound as the driver
// numbers them, busy and vanished devices, and a webcam's MJPEG. What every card does is in
// CardFiltersTest.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <tuple>

#include "platform/devices/v4l2/V4L2CardProbe.h"
#include "platform/devices/v4l2/V4L2Standards.h"
#include "platform/graph/GstPtr.h"
#include "platform/v4l2/FakeV4L2Io.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::devices::v4l2;
using Cat = DeviceCategory;
using Machine = test::TV4L2Machine;

namespace {

const QString kBttv = "BT878 video (Hauppauge (bt878)) (Conexant 878)";
const QString kEm28xx = "Pinnacle Dazzle DVC 90 (Empia 2820)";

}  // namespace

// Nodes that are no capture card (metadata only, one that does not open) are left out; each
// node looked at is closed again.
TEST(V4L2Cards, DiscoveryListsEachCardInItsCategories) {
  Machine m;
  m.io.Nodes.push_back(test::BttvCard("/dev/video3"));
  m.io.Nodes.back().OpenError = -ENOENT;
  const std::pair<Cat, QStringList> rows[] = {
      {Cat::VideoInputDevice, {kBttv, kEm28xx}},
      {Cat::Crossbar, {kBttv + " Crossbar", kEm28xx + " Crossbar"}},
      {Cat::TVTuner, {kBttv + " TV Tuner"}},
      {Cat::TVAudio, {kBttv + " TV Audio"}},
      {Cat::AudioInputDevice, {}}};  // no sound pairing known
  for (const auto& [category, names] : rows) {
    QStringList found;
    for (const auto& moniker : m.provider.Devices(category)) found << moniker.FriendlyName;
    EXPECT_EQ(found, names);
  }
  EXPECT_EQ(m.io.OpenHandles, 0);
  // The chip is added to a card name that lacks its maker (as for the TV card above), only then.
  EXPECT_EQ(FriendlyCardName("Philips saa7134 card", "saa7134"), "Philips saa7134 card");
}

TEST(V4L2Cards, EachRequestMakesItsDriverCallAndFailsWhenTheDriverFailsIt) {
  using Call = std::function<bool(Machine&)>;
  const auto crossbar = [](Machine& m) { return m.Bind<ICrossbar>(Cat::Crossbar); };
  const auto tuner = [](Machine& m) { return m.Bind<ITunerPropertySet>(Cat::TVTuner); };
  const auto sound = [](Machine& m) { return m.Bind<ITVAudio>(Cat::TVAudio); };
  const auto decoder = [](Machine& m) { return m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice); };
  // The request a call makes (in 62.5 kHz units, V4L2 ids: PAL I, PAL B and B1; audmodes), and the
  // request that fails it.
  const std::tuple<const char*, unsigned long, Call> rows[] = {
      {"video0 S_INPUT 1", VIDIOC_S_INPUT, [&](Machine& m) { return crossbar(m)->Route(0, 1); }},
      {"", VIDIOC_G_INPUT, [&](Machine& m) { int i; return crossbar(m)->IsRoutedTo(0, i); }},
      {"video0 S_FREQUENCY 884", VIDIOC_S_FREQUENCY,
       [&](Machine& m) { return tuner(m)->SetFrequency(55250000, 1, 0); }},
      {"", VIDIOC_G_TUNER, [&](Machine& m) { TTunerStatus s; return tuner(m)->GetStatus(s); }},
      {"", VIDIOC_G_FREQUENCY, [&](Machine& m) { TTunerStatus s; return tuner(m)->GetStatus(s); }},
      {"video0 S_STD 16", VIDIOC_S_STD, [&](Machine& m) { return decoder(m)->put_TVFormat(0x100); }},
      {"video0 S_STD 3", VIDIOC_S_STD, [&](Machine& m) { return tuner(m)->SetStandard(0x10); }},
      {"video0 S_CTRL 1000", VIDIOC_S_CTRL, [](Machine& m) {
         return m.Bind<IVideoProcAmp>(Cat::VideoInputDevice)->Set(VideoProcAmp_Hue, 1000, 1); }},
      {"video0 S_TUNER 0", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x1); }},
      // Several bits: the language wins over stereo.
      {"video0 S_TUNER 3", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x2 | 0x10); }},
      {"video0 S_TUNER 2", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x20); }},
      {"video0 S_TUNER 4", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x40); }},
  };
  for (const auto& [made, request, call] : rows) {
    SCOPED_TRACE(made);
    Machine m, failing;
    EXPECT_TRUE(call(m));
    EXPECT_EQ(m.io.Calls, *made ? QStringList{made} : QStringList{});
    failing.provider.Cards();  // found before its driver began to fail
    failing.Bttv().Fail[request] = -EINVAL;
    EXPECT_FALSE(call(failing));
  }
}

TEST(V4L2Cards, ACardWithoutTunerRoutesItsInputsByTheDriversIndex) {
  Machine m;
  auto* x = m.Bind<ICrossbar>(Cat::Crossbar, 1);
  // Connector types; each video input pairs with the line sound, the line with the first input.
  const std::pair<int, int> pins[] = {{PhysConn_Video_Composite, 2}, {PhysConn_Video_SVideo, 2},
                                      {PhysConn_Audio_Line, 0}};
  int outputs = 0, inputs = 0, related = 0, type = 0, routed = -1;
  ASSERT_TRUE(x && x->GetPinCounts(outputs, inputs) && inputs == 3) << inputs;
  for (int i = 0; i < inputs; ++i)
    EXPECT_TRUE(x->GetCrossbarPinInfo(true, i, related, type) && std::pair(type, related) == pins[i]) << i;
  EXPECT_TRUE(x->IsRoutedTo(1, routed) && routed == 2) << "the line sound";
  EXPECT_TRUE(x->Route(0, 1));
  EXPECT_EQ(m.io.Calls, QStringList{"video1 S_INPUT 1"});
  EXPECT_TRUE(x->IsRoutedTo(0, routed) && routed == 1) << routed;
}

TEST(V4L2Cards, LockAndPllOffsetComeFromSignalAndAfcAndFmFromTheRadioNode) {
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice);
  auto* tuner = m.Bind<ITVTuner>(Cat::TVTuner);
  auto* props = dynamic_cast<ITunerPropertySet*>(tuner);
  ASSERT_TRUE(decoder && props);
  // Signal and AFC read from the tuner; the PLL offset and the lock they give.
  const std::tuple<int, int, int, bool> rows[] = {{65535, 0, 0, true},  {40000, -2, -2, true},
                                                  {65535, 99, 24, true}, {65535, -99, -24, true},
                                                  {1, 0, 0, true},       {0, 0, 127, false}};
  for (const auto& [signal, afc, pll, lock] : rows) {
    m.Bttv().Tuners[0].signal = signal;
    m.Bttv().Tuners[0].afc = afc;
    TTunerStatus status;
    bool locked = !lock;
    ASSERT_TRUE(props->GetStatus(status) && decoder->get_HorizontalLocked(locked));
    EXPECT_EQ(std::pair(status.PLLOffset, status.SignalStrength), std::pair(pll, signal * 100 / 65535));
    EXPECT_EQ(locked, lock) << signal;
  }
  // The decoder's own lock, and the copy protection the input reports.
  m.Bttv().Tuners[0].signal = 65535;
  for (const quint32 status : {V4L2_IN_ST_NO_H_LOCK, V4L2_IN_ST_NO_SIGNAL, V4L2_IN_ST_MACROVISION}) {
    m.Bttv().Inputs[0].status = status;
    const bool macrovision = status == V4L2_IN_ST_MACROVISION;
    bool locked = !macrovision;
    qint32 copy = -1;
    EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && props->GetCopyProtection(copy));
    EXPECT_EQ(std::make_pair(locked, copy), std::make_pair(macrovision, qint32(macrovision))) << status;
  }
  // FM on the radio node on the same bus, in its 62.5 Hz units; closing it gives TV back.
  ASSERT_TRUE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO) && props->SetFrequency(98000000, kTuningExact, 0));
  EXPECT_EQ(m.io.Calls.back(), "radio0 S_FREQUENCY 1568000");
  EXPECT_EQ(m.io.OpenHandles, 2);
  EXPECT_TRUE(tuner->put_Mode(AMTUNER_MODE_TV));
  EXPECT_EQ(m.io.OpenHandles, 1) << "the card keeps video0 only";
  // No FM from a radio node whose tuner is no radio, or that does not open.
  for (const bool opens : {true, false}) {
    Machine tvOnly;
    tvOnly.io.Nodes[1].Tuners[0].type = opens ? V4L2_TUNER_ANALOG_TV : V4L2_TUNER_RADIO;
    tvOnly.io.Nodes[1].OpenError = opens ? 0 : -ENOENT;
    tuner = tvOnly.Bind<ITVTuner>(Cat::TVTuner);
    int modes = 0;
    EXPECT_TRUE(tuner->GetAvailableModes(modes) && modes == AMTUNER_MODE_TV) << opens;
    EXPECT_FALSE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO)) << opens;
  }
}

TEST(V4L2Cards, StandardsControlsAndTVSoundAsTheDriverNumbersThem) {
  for (int standard = 1; standard <= 0x100000; standard <<= 1)
    EXPECT_EQ(StandardOf(V4L2StdOf(standard)), V4L2StdOf(standard) ? standard : 0) << standard;
  EXPECT_EQ(StandardsOf(V4L2_STD_PAL_BG | V4L2_STD_NTSC_M), 0x1 | 0x10 | 0x40);
  EXPECT_TRUE(IsNtscLike(0x200) && !IsNtscLike(0x10));
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice);
  auto* amp = dynamic_cast<IVideoProcAmp*>(decoder);
  auto* sound = m.Bind<ITVAudio>(Cat::TVAudio);
  int formats = 0, value = 0, flags = 0, mode = 0;
  ASSERT_TRUE(decoder && amp && sound && decoder->get_AvailableTVFormats(formats));
  EXPECT_EQ(formats, 0x1 | 0x10 | 0x40 | 0x100) << "NTSC M, PAL B, PAL G, PAL I";
  EXPECT_TRUE(amp->Get(VideoProcAmp_Saturation, value, flags) && value == 32768) << "the driver's default";
  m.Bttv().Controls[V4L2_CID_HUE].flags = V4L2_CTRL_FLAG_DISABLED;
  EXPECT_FALSE(amp->Set(VideoProcAmp_Hue, 1000, kVideoProcAmpFlagsManual)) << "a disabled control";
  const std::pair<quint32, int> rows[] = {{V4L2_TUNER_SUB_MONO, 0x1},
                                          {V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO, 0x3},
                                          {V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2, 0x71}};
  for (const auto& [subchans, modes] : rows) {
    m.Bttv().Tuners[0].rxsubchans = subchans;
    EXPECT_TRUE(sound->GetAvailableTVAudioModes(mode) && mode == modes) << subchans;
  }
}

// A card busy when looked at is listed under its path and stays unbound though freed later; one
// busy only when bound does not bind either.
TEST(V4L2Cards, BusyAndVanishedDevicesAreListedButDoNotBind) {
  for (bool busyWhenLooking : {true, false}) {
    Machine m;
    m.io.Nodes[2].OpenError = busyWhenLooking ? -EBUSY : 0;
    const auto devices = m.provider.Devices(Cat::VideoInputDevice);
    m.io.Nodes[2].OpenError = busyWhenLooking ? 0 : -EBUSY;
    EXPECT_EQ(devices.at(1).FriendlyName, busyWhenLooking ? "/dev/video1" : kEm28xx);
    EXPECT_FALSE(devices.at(1).Bind()) << busyWhenLooking;
    EXPECT_TRUE(devices[0].Bind());
  }
  // Once gone, a card refuses what it would ask its driver, and asks nothing more.
  Machine m;
  auto capture = m.Add(Cat::VideoInputDevice);
  auto* x = m.Bind<ICrossbar>(Cat::Crossbar);
  m.Bttv().Gone = true;
  int input = 0;
  EXPECT_FALSE(x->IsRoutedTo(0, input) || x->Route(0, 1));
  EXPECT_FALSE(capture->As<IStreamConfig>()->SetFormat(test::VideoType("YUY2", 320, 240)));
  EXPECT_TRUE(m.io.Calls.isEmpty());
}

TEST(V4L2Cards, AWebcamsMjpegIsDecodedToTheFormatAsked) {
  Machine m;
  test::TFakeNode& cam = m.io.Nodes[2];
  cam.Cap = {.driver = "uvcvideo", .card = "Webcam C270", .capabilities = V4L2_CAP_VIDEO_CAPTURE};
  cam.Inputs = {{.name = "Camera 1", .type = V4L2_INPUT_TYPE_CAMERA}};
  cam.Standards.clear();
  cam.Controls.clear();
  cam.Formats = {{.pixelformat = V4L2_PIX_FMT_MJPEG}, {.pixelformat = V4L2_PIX_FMT_YUYV}};
  cam.Sizes[V4L2_PIX_FMT_MJPEG] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {320, 240}}};
  cam.Sizes[V4L2_PIX_FMT_YUYV] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {160, 120}}};
  m.provider.SourceOverride = "videotestsrc is-live=true ! jpegenc";
  auto capture = m.Add(Cat::VideoInputDevice, 1);
  EXPECT_EQ(capture->FriendlyName(), "Webcam C270") << "a name with no chip to add";
  EXPECT_EQ(m.Add(Cat::Crossbar, 1)->FindPin(PinDir::Input)->PhysicalType(), PhysConn_Video_AUX);
  EXPECT_FALSE(capture->As<IAnalogVideoDecoder>()) << "no standards";
  EXPECT_FALSE(capture->As<IVideoProcAmp>()) << "no controls";
  auto* config = capture->As<IStreamConfig>();
  TMediaType large, small;
  ASSERT_TRUE(config->GetStreamCaps(0, large) && config->GetStreamCaps(3, small));
  EXPECT_EQ(config->GetNumberOfCapabilities(), 6) << "the sizes listed, in three formats";
  EXPECT_EQ(small.Name() + " " + QString::number(small.AvgTimePerFrame), "YUY2 160x120 333667") << "no standard";
  EXPECT_EQ(m.Play(*capture, large)->Last().type.Name(), "YUY2 320x240") << "decoded, at the size asked";
  m.graph.Stop();
  ASSERT_TRUE(config->SetFormat(small));
  EXPECT_FALSE(ChildByName(capture->Element(), "jpegdec")) << "YUYV is read as it is at that size";
}

TEST(V4L2Cards, DeviceChoiceAndTheRealCallLayer) {
  int asked = 0;
  auto found = [&] { return ++asked > 0; };
  EXPECT_TRUE(UseRealCards("", found));
  EXPECT_FALSE(UseRealCards("virtual", found));
  EXPECT_EQ(asked, 1) << "the virtual choice looks for nothing";
  EXPECT_FALSE(UseRealCards("", [] { return false; }));
  QTemporaryDir dir;
  const QString ini = dir.filePath("Devices.ini");
  EXPECT_EQ(DeviceSetting("", ini), "") << "no file: the real cards when there are some";
  QFile file(ini);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Device=virtual\n") > 0);
  file.close();
  const std::pair<QString, QString> choices[] = {{"", "virtual"}, {"real", "real"}, {"virtual", "virtual"}};
  for (const auto& [environment, chosen] : choices)
    EXPECT_EQ(DeviceSetting(environment, ini), chosen) << environment.toStdString();
  EXPECT_EQ(LinuxV4L2Io().Open("/nonexistent/video99"), -ENOENT);
}
