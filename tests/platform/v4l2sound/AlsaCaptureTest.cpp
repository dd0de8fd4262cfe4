// A card's sound: its capture lines read from its mixer controls and the line recorded, the
// audio capture filter (its line pins driving the card's mixer, the caps the engine asks for, the
// card's short buffers, a card that does not open), and pairing a video node with its card's
// sound over scripted sysfs trees.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/components/TestFilters.h"
#include "platform/devices/v4l2/AlsaCapture.h"
#include "platform/devices/v4l2/AlsaPairing.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/TFilterGraph.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::devices::v4l2;

namespace {

// A card's capture controls as a table: switches and enumerated sources that tests set up and
// read back, with one control that can be made to refuse.
struct TFakeCaptureElements final : ICaptureElements {
  explicit TFakeCaptureElements(std::vector<TCaptureElement> all)
      : elements(std::move(all)), values(elements.size(), 0) {}
  std::vector<TCaptureElement> Elements() const override { return elements; }
  bool GetSwitch(int e, bool& on) const override { return Is(e, false) && ((on = values[size_t(e)]), true); }
  bool SetSwitch(int e, bool on) override { return Set(e, false, on); }
  bool GetItem(int e, int& item) const override { return Is(e, true) && ((item = values[size_t(e)]), true); }
  bool SetItem(int e, int item) override { return Set(e, true, item); }
  bool Is(int e, bool source) const {
    if (e < 0 || e >= int(elements.size())) return false;
    return source ? !elements[size_t(e)].CaptureItems.isEmpty() : elements[size_t(e)].CaptureSwitch;
  }
  bool Set(int e, bool source, int v) {
    return Is(e, source) && e != refusing && ((values[size_t(e)] = v), true);
  }
  // Every element's state: the switch (0/1) or the item chosen, "-" for neither.
  QString State() const {
    QString s;
    for (size_t i = 0; i < elements.size(); ++i)
      s += Is(int(i), false) || Is(int(i), true) ? QString::number(values[i]) : QString("-");
    return s;
  }
  std::vector<TCaptureElement> elements;
  std::vector<int> values;
  int refusing = -1;  // the element whose writes fail
};

TCaptureElement Switch(const char* name, unsigned index = 0) { return {name, index, true, {}}; }
TCaptureElement Volume(const char* name) { return {name, 0, false, {}}; }
TCaptureElement Source(QStringList items) { return {"Capture Source", 0, false, std::move(items)}; }

struct LinesRow {
  const char* name;
  std::vector<TCaptureElement> elements;
  QStringList lines;
  std::vector<int> choices;  // lines chosen in turn; all but the last must work
  bool lastWorks;
  const char* state;  // the controls afterwards
  int selected;       // the line recorded afterwards
  int refusing = -1;
};

std::shared_ptr<TAlsaAudioCapture> Capture(std::unique_ptr<ICaptureElements> mixer = nullptr) {
  return std::make_shared<TAlsaAudioCapture>(
      TAlsaCaptureDevice{"hw:29,0", "CX8801", {"Video", "Line", "Mic"}}, std::move(mixer),
      "audiotestsrc name=src is-live=true samplesperbuffer=480");
}

// The capture filter into a test sink, with the graph's errors kept.
struct LiveCapture {
  explicit LiveCapture(std::shared_ptr<TFilter> capture) : capture(std::move(capture)) {
    graph.OnEvent = [this](const TGraphEvent& e) { if (e.kind == TGraphEvent::Error) errors.push_back(e); };
    graph.AddFilter(this->capture, "ACapture");
    graph.AddFilter(sink, "Sink");
    connected = graph.Connect(*this->capture->FindPin("Capture"), *sink->FindPin("Input"));
  }
  std::shared_ptr<TFilter> capture;
  std::shared_ptr<test::TTestSink> sink = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  TFilterGraph graph{test::Components()};
  std::vector<TGraphEvent> errors;
  bool connected = false;
};

QString Pci(const char* function) { return QString("devices/pci0000:00/0000:00:1e.0/0000:") + function; }
QString Usb(const char* interface) { return QString("devices/pci0000:00/0000:00:14.0/usb1/") + interface; }

// A sysfs tree, always with the machine's onboard sound (card 0, never a capture card's).
struct Tree {
  Tree() { Card(0, "devices/pci0000:00/0000:00:1b.0", "PCH", {"card0/pcmC0D0c", "card0/pcmC0D0p"}); }
  Tree& Video(const char* node, const QString& device, bool present = true) {
    return Link(QString("class/video4linux/%1/device").arg(node), device, present);
  }
  // `pcms` are folders under class/sound.
  Tree& Card(int n, const QString& device, const QString& id, const QStringList& pcms, bool present = true) {
    if (!id.isEmpty()) files.push_back({QString("class/sound/card%1/id").arg(n), id});
    for (const QString& pcm : pcms) folders << "class/sound/" + pcm;
    return Link(QString("class/sound/card%1/device").arg(n), device, present);
  }
  Tree& Link(const QString& link, const QString& target, bool present) {
    links.push_back({link, target});
    folders << QFileInfo(link).path() << (present ? target : QString());
    return *this;
  }
  void Write(const QString& root) const {
    for (const QString& folder : folders) ASSERT_TRUE(QDir().mkpath(root + folder));
    for (const auto& [link, target] : links) ASSERT_TRUE(QFile::link(root + target, root + link));
    for (const auto& [path, text] : files) test::WriteFile(root + path, text.toUtf8() + "\n");
  }
  QStringList folders;
  std::vector<std::pair<QString, QString>> links, files;
};

}  // namespace

TEST(CaptureLines, LinesAndTheirSelection) {
  const LinesRow rows[] = {
      {"bt87x: an enumerated source, the mute switch left alone",
       {Volume("Capture"), Switch("Capture Boost"), Source({"TV Tuner", "FM", "Mic/Line"})},
       {"TV Tuner", "FM", "Mic/Line"}, {2}, true, "-02", 2},
      {"saa7134: one switch per input, the one chosen before turned off",
       {Switch("Line"), Switch("Line", 1), Switch("Video")}, {"Line", "Line 1", "Video"}, {0, 2},
       true, "001", 2},
      {"the master capture switch comes on with the line",
       {Switch("Capture"), Volume("Master"), Switch("Mic")}, {"Mic"}, {0}, true, "1-1", 0},
      {"a USB grabber with only a capture switch", {Switch("Capture")}, {"Capture"}, {0}, true, "1", 0},
      {"no capture controls", {Volume("Master")}, {}, {0}, false, "-", -1},
      {"a line out of range", {Switch("Line"), Switch("Video")}, {"Line", "Video"}, {2}, false, "00", -1},
      {"a source that refuses", {Source({"TV Tuner", "FM"})}, {"TV Tuner", "FM"}, {1}, false, "0", 0, 0},
      {"a refusing master switch", {Switch("Capture"), Switch("Line")}, {"Line"}, {0}, false, "00", -1, 0},
  };
  for (const LinesRow& row : rows) {
    SCOPED_TRACE(row.name);
    TFakeCaptureElements mixer(row.elements);
    mixer.refusing = row.refusing;
    TCaptureLines lines(mixer);
    EXPECT_EQ(lines.Names(), row.lines);
    for (size_t i = 0; i < row.choices.size(); ++i)
      EXPECT_EQ(lines.Select(row.choices[i]), i + 1 < row.choices.size() || row.lastWorks);
    EXPECT_EQ(std::pair(mixer.State(), lines.Selected()), std::pair(QString(row.state), row.selected));
  }
}

// Its line pins drive the card's mixer; its capture pin delivers the format asked.
TEST(AlsaAudioCapture, LinePinsDriveTheCardsMixerAndTheCapturePinDeliversTheFormatAsked) {
  auto owned = std::make_unique<TFakeCaptureElements>(std::vector{Switch("Line"), Switch("Video")});
  TFakeCaptureElements& mixer = *owned;
  LiveCapture live(Capture(std::move(owned)));
  const auto& capture = live.capture;
  QStringList pins;
  for (const TPin* pin : capture->PinsOf(PinDir::Input))
    pins << pin->Name() + QString::number(pin->PhysicalType(), 16);
  EXPECT_EQ(pins, QStringList({"Video1000", "Line1001", "Mic1002"}));  // tuner, line, mic connectors
  auto* lines = capture->As<IAudioInputMixer>();
  // Pin 0 ("Video") is the mixer's second element: lines go by name, not position.
  EXPECT_TRUE(lines->put_Enable(0, true) && mixer.State() == "01");
  EXPECT_TRUE(lines->put_Enable(1, true) && mixer.State() == "10");
  bool on = true;
  EXPECT_TRUE(lines->get_Enable(0, on) && !on && lines->get_Enable(1, on) && on);
  // A line the mixer lacks, pins that do not exist, and a card whose mixer did not open.
  EXPECT_FALSE(lines->put_Enable(2, true) || lines->put_Enable(3, true) || lines->get_Enable(-1, on));
  EXPECT_EQ(mixer.State(), "10");
  EXPECT_FALSE(Capture()->As<IAudioInputMixer>()->put_Enable(0, true));
  ASSERT_TRUE(live.connected && capture->FindPin(PinDir::Output)->MediaTypes.size() == 3);
  auto* config = live.capture->As<IStreamConfig>();
  TMediaType type;
  ASSERT_TRUE(config->GetStreamCaps(2, type));
  type.Channels = 1;
  ASSERT_TRUE(config->SetFormat(type) && live.graph.Run());
  ASSERT_TRUE(test::WaitUntil([&] { return live.sink->Frames() >= 3; }));
  EXPECT_EQ(live.sink->Last().type.Name(), "PCM 32000 Hz 1 ch 16 bit");
  EXPECT_FALSE(config->SetFormat(type));  // not while running
  EXPECT_TRUE(live.graph.Stop());
}

TEST(AlsaAudioCapture, TheCardsFilterOpensItsCapturePcmWithShortBuffers) {
  LiveCapture live(MakeAlsaAudioCapture({"hw:31,1", "Gone", {}}));
  const GstPtr<GstElement> src = ChildByName(live.capture->Element(), "src");
  ASSERT_TRUE(src && live.connected);
  gchar* device = nullptr;
  gint64 bufferTime = 0, latencyTime = 0;
  g_object_get(src.get(), "device", &device, "buffer-time", &bufferTime, "latency-time", &latencyTime,
               nullptr);
  EXPECT_STREQ(device, "hw:31,1");
  g_free(device);
  EXPECT_EQ(std::pair(bufferTime, latencyTime), std::pair(gint64(40000), gint64(10000)));
  // No such card: the run fails with the graph's error and the graph stays stopped.
  EXPECT_TRUE(!live.graph.Run() && test::WaitUntil([&] { return !live.errors.empty(); }));
  EXPECT_EQ(live.graph.State(), GraphState::Stopped);
}

TEST(AlsaPairing, FindsTheCardsOwnCaptureDevice) {
  // What the tree is, the tree, the video node, and the capture device and card name paired with
  // it ("": none).
  const std::tuple<const char*, Tree, const char*, const char*> rows[] = {
      {"bttv: sound on the slot's second function",
       Tree().Video("video0", Pci("05:00.0"))
           .Card(29, Pci("05:00.1"), "Bt878", {"card29/pcmC29D1c", "card29/pcmC29D0c"}),
       "video0", "hw:29,0 Bt878"},
      {"em28xx: the grabber's audio interface, not another device's; pcm in the class folder",
       Tree().Video("video1", Usb("1-2/1-2:1.0"))
           .Card(27, Usb("1-3/1-3:1.2"), "Webcam", {"card27/pcmC27D0c"})
           .Card(30, Usb("1-2/1-2:1.1"), "Em28xx", {"pcmC30D0c"}),
       "video1", "hw:30,0 Em28xx"},
      {"saa7134: the same function beats a neighbour; a card without id",
       Tree().Video("video2", Pci("06:00.0"))
           .Card(24, Pci("06:00.1"), "", {"card24/pcmC24D0c"})
           .Card(26, Pci("06:00.0"), "", {"card26/pcmC26D0c"}),
       "video2", "hw:26,0 card26"},
      {"a dangling sound link is passed over",
       Tree().Video("video0", Pci("05:00.0"))
           .Card(23, Pci("05:00.1"), "Gone", {"card23/pcmC23D0c"}, false)
           .Card(25, Pci("05:00.0"), "SAA7134", {"card25/pcmC25D0c"}),
       "video0", "hw:25,0 SAA7134"},
      {"a webcam without sound", Tree().Video("video0", Usb("1-4/1-4:1.0")), "video0", ""},
      {"sound on the card but playback only",
       Tree().Video("video0", Pci("05:00.0")).Card(29, Pci("05:00.1"), "Bt878", {"card29/pcmC29D0p"}),
       "video0", ""},
      {"the video node's own link dangles",
       Tree().Video("video0", Pci("05:00.0"), false)
           .Card(29, Pci("05:00.0"), "X", {"card29/pcmC29D0c"}, false),
       "video0", ""},
  };
  int n = 0;
  for (const auto& [name, tree, node, device] : rows) {
    SCOPED_TRACE(name);
    const QString root = test::Home() + QString("sys%1/").arg(n++);
    tree.Write(root);
    const auto paired = PairedAlsaCapture(node, root.chopped(1));
    EXPECT_EQ(paired ? (paired->Device + " " + paired->Name).toStdString() : "", device);
    EXPECT_TRUE(!paired || paired->Lines.isEmpty());  // no such ALSA card here, so no mixer lines
  }
}
