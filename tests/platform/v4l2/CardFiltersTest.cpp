// The device filters on real TV cards, through a scripted driver (canned structures, the state a
// driver keeps, a record of the calls that change it, and calls that fail or a node that vanishes
// on request): routing, tuning, standards and the sizes that follow them, colour controls, TV
// sound, the wiring inside the card, capture formats and a card that vanishes while it runs; then
// discovery, the driver call behind each request and the failure when the driver fails it, lock
// and PLL from the tuner's readings, busy and vanished devices, and a webcam's MJPEG. The same
// filters on the virtual card are checked through the capture engine (engine_tests), and the
// virtual card itself in virtual/VirtualCardTest.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

#include "ScriptedDriver.h"
#include "platform/devices/CardFilters.h"
#include "platform/devices/v4l2/V4L2CardProbe.h"
#include "platform/devices/v4l2/V4L2Standards.h"
#include "platform/graph/GstPtr.h"

using namespace pvx;
using namespace pvx::test;
using namespace pvx::platform::graph;
using namespace pvx::platform::devices::v4l2;
namespace dev = pvx::platform::devices;
using Cat = DeviceCategory;

namespace {

// The scripted machine as the fixture of each test.
struct V4L2Card : ::testing::Test, Machine {};

using Pins = std::vector<std::pair<int, int>>;

// The pins of a crossbar's side: each one's connector type and the pin it pairs with.
Pins PinsOf(ICrossbar& x, bool isInput) {
  int outputs = 0, inputs = 0;
  Pins pins(x.GetPinCounts(outputs, inputs) ? size_t(isInput ? inputs : outputs) : 0);
  for (size_t i = 0; i < pins.size(); ++i)
    if (!x.GetCrossbarPinInfo(isInput, int(i), pins[i].second, pins[i].first)) pins[i] = {-1, -1};
  return pins;
}

}  // namespace

TEST_F(V4L2Card, CrossbarListsTheInputsAndRoutesVideoAndSoundApart) {
  auto* x = Bind<ICrossbar>(Cat::Crossbar);
  auto* stick = Bind<ICrossbar>(Cat::Crossbar, 1);
  int related = 0, type = 0, routed = -1;
  ASSERT_TRUE(x && stick);
  EXPECT_EQ(PinsOf(*x, true), (Pins{{PhysConn_Video_Tuner, 3}, {PhysConn_Video_Composite, 4},
                                    {PhysConn_Video_SVideo, 4}, {PhysConn_Audio_Tuner, 0},
                                    {PhysConn_Audio_Line, 1}}));
  EXPECT_EQ(PinsOf(*x, false), (Pins{{PhysConn_Video_VideoDecoder, 1}, {PhysConn_Audio_AudioDecoder, 0}}));
  const auto info = [&](bool isInput, int i) { return x->GetCrossbarPinInfo(isInput, i, related, type); };
  EXPECT_FALSE(info(false, 2) || info(true, -1) || info(true, 5));
  // 2: to the video output only; 1: to the sound output only.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(x->CanRoute(0, i) * 2 + x->CanRoute(1, i), i < 3 ? 2 : 1) << i;
  EXPECT_TRUE(x->IsRoutedTo(0, routed) && routed == 0) << "the tuner first";
  EXPECT_TRUE(x->IsRoutedTo(1, routed) && routed == 3) << "with its sound";
  // Output, input and whether it routes: video to video and sound to sound, on pins that exist.
  const std::tuple<int, int, bool> routes[] = {{0, 2, true},  {1, 4, true},   {0, 3, false},
                                               {1, 0, false}, {2, 0, false},  {-1, 0, false},
                                               {0, -1, false}, {0, 5, false}};
  for (const auto& [output, input, ok] : routes) EXPECT_EQ(x->Route(output, input), ok) << output << input;
  EXPECT_TRUE(x->IsRoutedTo(0, routed) && routed == 2) << routed;
  EXPECT_TRUE(x->IsRoutedTo(1, routed) && routed == 4) << routed;
  EXPECT_FALSE(x->IsRoutedTo(2, routed) || x->IsRoutedTo(-1, routed));
  // A card without tuner: each video input pairs with the line sound, which it carries to start
  // with, and the line with the first input; the inputs keep the driver's index.
  EXPECT_EQ(PinsOf(*stick, true),
            (Pins{{PhysConn_Video_Composite, 2}, {PhysConn_Video_SVideo, 2}, {PhysConn_Audio_Line, 0}}));
  EXPECT_TRUE(stick->IsRoutedTo(1, routed) && routed == 2) << "the line sound";
  EXPECT_TRUE(stick->Route(0, 1) && stick->IsRoutedTo(0, routed) && routed == 1) << routed;
}

// TV from 44 to 958 MHz in 62.5 kHz units on the video node; FM from 87.5 to 108 MHz in 62.5 Hz
// units on the radio node on the same bus, open only while in FM.
TEST_F(V4L2Card, TunerTunesWithinEachBandFmOnTheRadioNodeColourControlsAndTVSoundKeepToTheirRanges) {
  auto* tuner = Bind<ITVTuner>(Cat::TVTuner);
  auto* props = dynamic_cast<ITunerPropertySet*>(tuner);
  int modes = 0, mode = 0;
  ASSERT_TRUE(props && tuner->GetAvailableModes(modes) && modes == (AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO));
  // The mode, its band, a frequency in it and the call that tunes there.
  const std::tuple<int, quint32, quint32, quint32, QString> bands[] = {
      {AMTUNER_MODE_FM_RADIO, 87500000, 108000000, 98000000, "radio0 S_FREQUENCY 1568000"},
      {AMTUNER_MODE_TV, 44000000, 958000000, 55250000, "video0 S_FREQUENCY 884"}};
  for (const auto& [band, low, high, tuned, call] : bands) {
    SCOPED_TRACE(band);
    quint32 min = 0, max = 0;
    ASSERT_TRUE(tuner->put_Mode(band) && tuner->get_Mode(mode) && mode == band);
    EXPECT_TRUE(props->GetModeCaps(band, min, max) && min == low && max == high) << min << ".." << max;
    EXPECT_TRUE(props->SetFrequency(high, kTuningExact, 0) && props->SetFrequency(low, kTuningExact, 0));
    EXPECT_FALSE(props->SetFrequency(high + 1, kTuningExact, 0));
    EXPECT_FALSE(props->SetFrequency(low - 1, kTuningExact, 0));
    TTunerStatus status;
    ASSERT_TRUE(props->SetFrequency(tuned, kTuningExact, 0) && props->GetStatus(status));
    EXPECT_EQ(std::pair(status.CurrentFrequency, io.Calls.back()), std::pair(qint32(tuned), call));
    EXPECT_EQ(io.OpenHandles(), band == AMTUNER_MODE_TV ? 1 : 2);
  }
  EXPECT_FALSE(tuner->put_Mode(AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO) || tuner->put_Mode(4));
  EXPECT_TRUE(tuner->get_Mode(mode) && mode == AMTUNER_MODE_TV) << "refused modes change nothing";
  // Colour controls keep to their ranges, and TV sound to its modes.
  auto* amp = Bind<IVideoProcAmp>(Cat::VideoInputDevice);
  auto* sound = Bind<ITVAudio>(Cat::TVAudio);
  int min, max, step, def, flags = 0, value = -1;
  ASSERT_TRUE(amp && sound && amp->GetRange(VideoProcAmp_Contrast, min, max, step, def, flags));
  EXPECT_EQ((std::array{min, max, step, def, flags}),
            (std::array{0, 65535, 256, 27648, kVideoProcAmpFlagsManual}));
  EXPECT_FALSE(amp->GetRange(VideoProcAmp_Sharpness, min, max, step, def, flags)) << "a control it lacks";
  ASSERT_TRUE(amp->GetRange(VideoProcAmp_Brightness, min, max, step, def, flags));
  EXPECT_TRUE(amp->Set(VideoProcAmp_Brightness, max, kVideoProcAmpFlagsManual));
  EXPECT_FALSE(amp->Set(VideoProcAmp_Brightness, max + 1, 1) || amp->Set(VideoProcAmp_Brightness, -1, 1));
  EXPECT_TRUE(amp->Get(VideoProcAmp_Brightness, value, flags) && value == max) << value;
  for (const int property : {-1, 5}) {
    EXPECT_FALSE(amp->GetRange(property, min, max, step, def, flags) || amp->Get(property, value, flags) ||
                 amp->Set(property, 0, kVideoProcAmpFlagsManual)) << property;
  }
  Bttv().Controls[V4L2_CID_HUE].flags = V4L2_CTRL_FLAG_DISABLED;
  EXPECT_FALSE(amp->Set(VideoProcAmp_Hue, 1000, kVideoProcAmpFlagsManual)) << "a disabled control";
  EXPECT_TRUE(sound->put_TVAudioMode(AMTVAUDIO_MODE_LANG_B) && !sound->put_TVAudioMode(0));
  EXPECT_TRUE(sound->get_TVAudioMode(mode) && mode == AMTVAUDIO_MODE_LANG_B) << mode;
  // The sound the tuner hears, and the modes it offers: mono always.
  const std::pair<quint32, int> heard[] = {{V4L2_TUNER_SUB_MONO, 0x1},
                                           {V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO, 0x3},
                                           {V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2, 0x71}};
  for (const auto& [subchans, offered] : heard) {
    Bttv().Tuners[0].rxsubchans = subchans;
    EXPECT_TRUE(sound->GetAvailableTVAudioModes(mode) && mode == offered) << subchans;
  }
}

// The driver's standard ids in the engine's numbering: one bit each, NTSC M, PAL B, G and I here.
TEST_F(V4L2Card, StandardsChangeTheSizesOfferedAndRefuseWhatTheCardLacksAndTheTunerGivesTheLock) {
  for (int standard = 1; standard <= 0x100000; standard <<= 1)
    EXPECT_EQ(StandardOf(V4L2StdOf(standard)), V4L2StdOf(standard) ? standard : 0) << standard;
  EXPECT_EQ(StandardsOf(V4L2_STD_PAL_BG | V4L2_STD_NTSC_M), 0x1 | 0x10 | 0x40);
  EXPECT_TRUE(IsNtscLike(0x200) && !IsNtscLike(0x10));
  auto capture = Add(Cat::VideoInputDevice);
  auto* props = Bind<ITunerPropertySet>(Cat::TVTuner);
  auto* decoder = capture->As<IAnalogVideoDecoder>();
  auto* config = capture->As<IStreamConfig>();
  int formats = 0, format = 0;
  ASSERT_TRUE(decoder && config && props && decoder->get_AvailableTVFormats(formats));
  EXPECT_EQ(formats, 0x1 | 0x10 | 0x40 | 0x100);
  TMediaType type;
  ASSERT_TRUE(config->GetStreamCaps(0, type));
  EXPECT_EQ(type.Name() + " " + QString::number(type.AvgTimePerFrame), "YUY2 640x480 333667");
  ASSERT_TRUE(decoder->put_TVFormat(0x10) && decoder->get_TVFormat(format) && format == 0x10) << format;
  ASSERT_TRUE(config->GetStreamCaps(0, type));
  EXPECT_EQ(type.Name() + " " + QString::number(type.AvgTimePerFrame), "YUY2 640x576 400000");
  EXPECT_EQ(capture->FindPin("Capture")->MediaTypes.front(), type);
  EXPECT_FALSE(config->GetStreamCaps(config->GetNumberOfCapabilities(), type) ||
               config->GetStreamCaps(-1, type));
  // SECAM L', which the card lacks; two standards at once; none.
  for (const int refused : {0x80000, 0x1 | 0x10, 0})
    EXPECT_FALSE(decoder->put_TVFormat(refused) || props->SetStandard(refused)) << refused;
  EXPECT_TRUE(props->SetStandard(0x1) && decoder->get_TVFormat(format) && format == 0x1) << format;
  // Signal and AFC read from the tuner give the signal strength, the PLL offset and the lock (none
  // with nothing tuned): the signal, AFC, the PLL offset and the lock they give. The decoder's own
  // lock and the copy protection come from the input's status.
  const std::tuple<int, int, int, bool> rows[] = {{65535, 0, 0, true},  {40000, -2, -2, true},
                                                  {65535, 99, 24, true}, {65535, -99, -24, true},
                                                  {1, 0, 0, true},       {0, 0, 127, false}};
  for (const auto& [signal, afc, pll, lock] : rows) {
    Bttv().Tuners[0].signal = signal;
    Bttv().Tuners[0].afc = afc;
    TTunerStatus status;
    bool locked = !lock;
    ASSERT_TRUE(props->GetStatus(status) && decoder->get_HorizontalLocked(locked));
    EXPECT_EQ(std::tuple(status.PLLOffset, status.SignalStrength, locked),
              std::tuple(pll, signal * 100 / 65535, lock)) << signal;
  }
  Bttv().Tuners[0].signal = 65535;
  for (const quint32 status : {V4L2_IN_ST_NO_H_LOCK, V4L2_IN_ST_NO_SIGNAL, V4L2_IN_ST_MACROVISION}) {
    Bttv().Inputs[0].status = status;
    const bool macrovision = status == V4L2_IN_ST_MACROVISION;
    bool locked = !macrovision;
    qint32 copy = -1;
    EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && props->GetCopyProtection(copy));
    EXPECT_EQ(std::make_pair(locked, copy), std::make_pair(macrovision, qint32(macrovision))) << status;
  }
  // The decoder locks onto a composite source.
  bool locked = false;
  ASSERT_TRUE(Bind<ICrossbar>(Cat::Crossbar)->Route(0, 1));
  EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && locked);
}

TEST_F(V4L2Card, PartsConnectOnlyAsTheCardIsWired) {
  auto capture = Add(Cat::VideoInputDevice);
  auto tuner = Add(Cat::TVTuner);
  auto tvAudio = Add(Cat::TVAudio);
  TPin& video = *tuner->FindPin("Analog Video");
  TPin& audio = *tuner->FindPin("Analog Audio");
  EXPECT_FALSE(graph.Connect(video, *capture->FindPin("Analog Video In"))) << "only through the crossbar";
  auto crossbar = Add(Cat::Crossbar);
  EXPECT_TRUE(capture->FindPin("Analog Video In")->IsConnected()) << "wired inside the card";
  const auto in = [&](int i) -> TPin& { return *crossbar->FindPin(PinDir::Input, PinCategory::None, i); };
  auto other = std::make_shared<dev::TCardTuner>(std::make_shared<dev::TVirtualCard>());
  graph.AddFilter(other, "Another card's tuner");
  EXPECT_FALSE(graph.Connect(*other->FindPin("Analog Video"), in(0)));
  EXPECT_FALSE(graph.Connect(video, in(1))) << "a composite input";
  EXPECT_FALSE(graph.Connect(audio, in(3))) << "tuner sound goes through the TV audio decoder";
  EXPECT_FALSE(graph.Connect(*capture->FindPin("Capture"), in(2))) << "a media pin";
  EXPECT_TRUE(graph.Connect(video, in(0)) && graph.Connect(audio, *tvAudio->FindPin("TVAudio In")) &&
              graph.Connect(*tvAudio->FindPin("TVAudio Out"), in(3)));
}

TEST_F(V4L2Card, CaptureDeliversTheFormatAskedRefusesOthersAndStopsWithAnErrorWhenTheCardVanishes) {
  auto capture = Add(Cat::VideoInputDevice);
  auto* props = Bind<ITunerPropertySet>(Cat::TVTuner);
  auto* config = capture->As<IStreamConfig>();
  for (const auto& refused : {VideoType("XYZ", 320, 240), VideoType("YUY2", 15, 240),
                              TMediaType{MediaMajor::Audio, "YUY2", 320, 240}, VideoType("YUY2", 320, 15),
                              VideoType("YUY2", 1921, 240), VideoType("YUY2", 320, 1089)})
    EXPECT_FALSE(config->SetFormat(refused)) << refused.Name().toStdString();
  EXPECT_TRUE(config->SetFormat(VideoType("YUY2", 16, 16)) &&
              config->SetFormat(VideoType("YUY2", 1920, 1088)));
  auto sink = Play(*capture, VideoType("RGB24", 64, 48));
  for (const auto& [subtype, width, height, bytesPerPixel] :
       {std::tuple{"YUY2", 320, 240, 2}, {"UYVY", 352, 288, 2}, {"RGB24", 640, 480, 3}}) {
    SCOPED_TRACE(subtype);
    graph.Stop();
    ASSERT_TRUE(config->SetFormat(VideoType(subtype, width, height)) && graph.Run());
    EXPECT_EQ(Later(*sink, 3).size(), width * height * bytesPerPixel);
    EXPECT_EQ(sink->Last().type.Name(), VideoType(subtype, width, height).Name());
    EXPECT_FALSE(config->SetFormat(VideoType("YUY2", 320, 240))) << "format changes need a stop";
  }
  // A card that vanishes stops the run with an error and no longer binds.
  QStringList errors;
  graph.OnEvent = [&](const TGraphEvent& e) { if (e.kind == TGraphEvent::Error) errors << e.Message; };
  Later(*sink, 1);
  Bttv().Gone = true;
  TTunerStatus status;
  props->GetStatus(status);  // a real card learns it at its next call
  ASSERT_TRUE(test::WaitUntil([&] { return !errors.isEmpty(); }));
  EXPECT_TRUE(errors.front().contains("/dev/video0")) << errors.front().toStdString();
  graph.Stop();
  EXPECT_FALSE(graph.Run()) << "the capture device is not there to run";
  EXPECT_FALSE(Add(Cat::VideoInputDevice));
}

// Nodes that are no capture card (metadata only, one that does not open) are left out; each
// node looked at is closed again. A radio node whose tuner is no radio, or that does not open,
// gives no FM.
TEST_F(V4L2Card, DiscoveryListsEachCardInItsCategoriesBusyOrVanishedOnesDoNotBindAndTheChoiceOfCards) {
  io.Nodes.push_back(BttvCard("/dev/video3"));
  io.Nodes.back().OpenError = -ENOENT;
  const std::pair<Cat, QStringList> rows[] = {
      {Cat::VideoInputDevice, {kBttv, kEm28xx}},
      {Cat::Crossbar, {kBttv + " Crossbar", kEm28xx + " Crossbar"}},
      {Cat::TVTuner, {kBttv + " TV Tuner"}},
      {Cat::TVAudio, {kBttv + " TV Audio"}},
      {Cat::AudioInputDevice, {}}};  // no sound pairing known
  for (const auto& [category, names] : rows) {
    QStringList found;
    for (const auto& moniker : provider.Devices(category)) found << moniker.FriendlyName;
    EXPECT_EQ(found, names);
  }
  EXPECT_EQ(io.OpenHandles(), 0);
  // The chip is added to a card name that lacks its maker (as for the TV card above), only then.
  EXPECT_EQ(FriendlyCardName("Philips saa7134 card", "saa7134"), "Philips saa7134 card");
  for (const bool opens : {true, false}) {
    Machine tvOnly;
    tvOnly.io.Nodes[1].Tuners[0].type = opens ? V4L2_TUNER_ANALOG_TV : V4L2_TUNER_RADIO;
    tvOnly.io.Nodes[1].OpenError = opens ? 0 : -ENOENT;
    auto* tuner = tvOnly.Bind<ITVTuner>(Cat::TVTuner);
    int modes = 0;
    EXPECT_TRUE(tuner->GetAvailableModes(modes) && modes == AMTUNER_MODE_TV) << opens;
    EXPECT_FALSE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO)) << opens;
  }
  // A card busy when looked at is listed under its path and stays unbound though freed later; one
  // busy only when bound does not bind either.
  for (bool busyWhenLooking : {true, false}) {
    Machine m;
    m.io.Nodes[2].OpenError = busyWhenLooking ? -EBUSY : 0;
    const auto devices = m.provider.Devices(Cat::VideoInputDevice);
    m.io.Nodes[2].OpenError = busyWhenLooking ? 0 : -EBUSY;
    EXPECT_EQ(devices.at(1).FriendlyName, busyWhenLooking ? "/dev/video1" : kEm28xx);
    EXPECT_TRUE(devices[0].Bind() && !devices.at(1).Bind()) << busyWhenLooking;
  }
  // Once gone, a card refuses what it would ask its driver, and asks nothing more.
  auto capture = Add(Cat::VideoInputDevice);
  auto* x = Bind<ICrossbar>(Cat::Crossbar);
  Bttv().Gone = true;
  int input = 0;
  EXPECT_FALSE(x->IsRoutedTo(0, input) || x->Route(0, 1));
  EXPECT_FALSE(capture->As<IStreamConfig>()->SetFormat(VideoType("YUY2", 320, 240)));
  EXPECT_TRUE(io.Calls.isEmpty());
  // The real cards are used unless the virtual one is chosen; the real call layer.
  int asked = 0;
  auto found = [&] { return ++asked > 0; };
  EXPECT_TRUE(UseRealCards("", found) && !UseRealCards("virtual", found) &&
              !UseRealCards("", [] { return false; }));
  EXPECT_EQ(asked, 1) << "the virtual choice looks for nothing";
  const QString ini = Home() + "Devices.ini";
  EXPECT_EQ(DeviceSetting("", ini), "") << "no file: the real cards when there are some";
  WriteFile(ini, "Device=virtual\n");
  const std::pair<QString, QString> choices[] = {{"", "virtual"}, {"real", "real"}, {"virtual", "virtual"}};
  for (const auto& [environment, chosen] : choices)
    EXPECT_EQ(DeviceSetting(environment, ini), chosen) << environment.toStdString();
  EXPECT_EQ(LinuxV4L2Io().Open("/nonexistent/video99"), -ENOENT);
}

TEST(V4L2Cards, EachRequestMakesItsDriverCallAndFailsWhenTheDriverFailsIt) {
  using Call = std::function<bool(Machine&)>;
  const auto crossbar = [](Machine& m) { return m.Bind<ICrossbar>(Cat::Crossbar); };
  const auto tuner = [](Machine& m) { return m.Bind<ITunerPropertySet>(Cat::TVTuner); };
  const auto sound = [](Machine& m) { return m.Bind<ITVAudio>(Cat::TVAudio); };
  const auto capture = [](Machine& m) { return m.Add(Cat::VideoInputDevice); };
  TTunerStatus read;
  int input = -1;
  const auto status = [&](Machine& m) { return tuner(m)->GetStatus(read); };
  const auto routed = [&](Machine& m) { return crossbar(m)->IsRoutedTo(0, input); };
  // The request a call makes (in 62.5 kHz units, V4L2 ids: PAL I, PAL B and B1; audmodes), and the
  // request that fails it.
  const std::tuple<const char*, unsigned long, Call> rows[] = {
      {"video0 S_INPUT 1", VIDIOC_S_INPUT, [&](Machine& m) { return crossbar(m)->Route(0, 1); }},
      {"", VIDIOC_G_INPUT, routed},
      {"video0 S_FREQUENCY 884", VIDIOC_S_FREQUENCY,
       [&](Machine& m) { return tuner(m)->SetFrequency(55250000, 1, 0); }},
      {"", VIDIOC_G_TUNER, status},
      {"", VIDIOC_G_FREQUENCY, status},
      {"video0 S_STD 16", VIDIOC_S_STD,
       [&](Machine& m) { return capture(m)->As<IAnalogVideoDecoder>()->put_TVFormat(0x100); }},
      {"video0 S_STD 3", VIDIOC_S_STD, [&](Machine& m) { return tuner(m)->SetStandard(0x10); }},
      {"video0 S_CTRL 1000", VIDIOC_S_CTRL,
       [&](Machine& m) { return capture(m)->As<IVideoProcAmp>()->Set(VideoProcAmp_Hue, 1000, 1); }},
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

TEST_F(V4L2Card, AWebcamsMjpegIsDecodedToTheFormatAsked) {
  // No standards and no controls; MJPEG at 320x240, YUYV at 160x120.
  io.Nodes[2] = {
      .Path = "/dev/video1",
      .Cap = {.driver = "uvcvideo", .card = "Webcam C270", .capabilities = V4L2_CAP_VIDEO_CAPTURE},
      .Inputs = {{.name = "Camera 1", .type = V4L2_INPUT_TYPE_CAMERA}},
      .Formats = {{.pixelformat = V4L2_PIX_FMT_MJPEG}, {.pixelformat = V4L2_PIX_FMT_YUYV}},
      .Sizes = {{V4L2_PIX_FMT_MJPEG, {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {320, 240}}}},
                {V4L2_PIX_FMT_YUYV, {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {160, 120}}}}}};
  provider.SourceOverride = "videotestsrc is-live=true ! jpegenc";
  auto capture = Add(Cat::VideoInputDevice, 1);
  EXPECT_EQ(capture->FriendlyName(), "Webcam C270") << "a name with no chip to add";
  EXPECT_EQ(Add(Cat::Crossbar, 1)->FindPin(PinDir::Input)->PhysicalType(), PhysConn_Video_AUX);
  EXPECT_FALSE(capture->As<IAnalogVideoDecoder>() || capture->As<IVideoProcAmp>()) << "none offered";
  auto* config = capture->As<IStreamConfig>();
  TMediaType large, small;
  ASSERT_TRUE(config->GetStreamCaps(0, large) && config->GetStreamCaps(3, small));
  EXPECT_EQ(config->GetNumberOfCapabilities(), 6) << "the sizes listed, in three formats";
  EXPECT_EQ(small.Name() + " " + QString::number(small.AvgTimePerFrame), "YUY2 160x120 333667")
      << "no standard";
  EXPECT_EQ(Play(*capture, large)->Last().type.Name(), "YUY2 320x240") << "decoded, at the size asked";
  ASSERT_TRUE(graph.Stop() && config->SetFormat(small));
  EXPECT_FALSE(ChildByName(capture->Element(), "jpegdec")) << "YUYV is read as it is at that size";
}
