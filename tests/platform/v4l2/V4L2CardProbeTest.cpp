// Probing one node: what a capture node, a busy one, a node of another kind and a radio node
// give, and that each probe closes what it opened.

#include <gtest/gtest.h>

#include <linux/videodev2.h>

#include <cerrno>
#include <vector>

#include "platform/devices/v4l2/V4L2CardProbe.h"

using namespace pvx::platform::devices::v4l2;

namespace {

// One node answering its capabilities and tuners; every other request is unknown to it.
class TOneNodeIo final : public IV4L2Io {
 public:
  int OpenResult = 3;
  v4l2_capability Cap{};
  std::vector<v4l2_tuner> Tuners;
  int Open(const QString&) override {
    if (OpenResult >= 0) ++OpenHandles;
    return OpenResult;
  }
  void Close(int handle) override { OpenHandles -= handle >= 0 ? 1 : 0; }
  int Ioctl(int, unsigned long request, void* arg) override {
    if (request == VIDIOC_QUERYCAP) return *static_cast<v4l2_capability*>(arg) = Cap, 0;
    if (request != VIDIOC_G_TUNER) return -EINVAL;
    auto& t = *static_cast<v4l2_tuner*>(arg);
    const quint32 index = t.index;
    if (index >= Tuners.size()) return -EINVAL;
    t = Tuners[index];
    t.index = index;
    return 0;
  }
  QStringList ListNodes() const override { return {}; }
  int OpenHandles = 0;
};

struct VideoRow {
  const char* what;
  int openResult;
  quint32 capabilities;
  bool card, busy;
  QString name;
};

TEST(V4L2CardProbe, AVideoNodeGivesItsOfferABusyOneItsPathAndAnyOtherNothing) {
  for (const VideoRow& row : {
           VideoRow{"capture", 3, V4L2_CAP_VIDEO_CAPTURE, true, false, "Pinnacle Dazzle DVC 90 (Empia 2820)"},
           VideoRow{"busy", -EBUSY, V4L2_CAP_VIDEO_CAPTURE, true, true, "/dev/video1"},
           VideoRow{"missing", -ENOENT, V4L2_CAP_VIDEO_CAPTURE, false, false, {}},
           VideoRow{"metadata only", 3, V4L2_CAP_META_CAPTURE, false, false, {}},
       }) {
    SCOPED_TRACE(row.what);
    TOneNodeIo io;
    io.OpenResult = row.openResult;
    io.Cap = {.driver = "em28xx", .card = "Pinnacle Dazzle DVC 90", .bus_info = "usb-2", .capabilities = row.capabilities};
    io.Tuners = {{.type = V4L2_TUNER_ANALOG_TV, .rangelow = 44 * 16, .rangehigh = 958 * 16}};
    const auto info = ProbeVideoNode(io, "/dev/video1");
    EXPECT_EQ(io.OpenHandles, 0) << "the probe closes the node";
    ASSERT_EQ(info.has_value(), row.card);
    if (!info) continue;
    EXPECT_EQ(info->Busy, row.busy);
    EXPECT_EQ(info->Name, row.name);
    EXPECT_EQ(info->Tv.Present, !row.busy);
    EXPECT_EQ(info->BusInfo, row.busy ? "" : "usb-2");
  }
}

TEST(V4L2CardProbe, ARadioNodeGivesItsBusAndFMBandOnlyWhenItsTunerIsARadio) {
  TOneNodeIo io;
  io.Cap = {.bus_info = "PCI:0000:05:00.0", .capabilities = V4L2_CAP_RADIO};
  io.Tuners = {{.type = V4L2_TUNER_RADIO, .capability = V4L2_TUNER_CAP_LOW, .rangelow = 1400000, .rangehigh = 1728000}};
  const auto radio = ProbeRadioNode(io, "/dev/radio0");
  ASSERT_TRUE(radio);
  EXPECT_EQ(radio->first, "PCI:0000:05:00.0");
  EXPECT_TRUE(radio->second.OnRadioNode);
  EXPECT_EQ(radio->second.MinHertz(), 87500000u);
  EXPECT_EQ(radio->second.MaxHertz(), 108000000u);
  EXPECT_EQ(io.OpenHandles, 0);

  io.Tuners[0].type = V4L2_TUNER_ANALOG_TV;
  EXPECT_FALSE(ProbeRadioNode(io, "/dev/radio0"));
  io.OpenResult = -ENOENT;
  EXPECT_FALSE(ProbeRadioNode(io, "/dev/radio0"));
}

TEST(V4L2CardProbe, TheChipIsAddedToACardNameThatLacksItsMaker) {
  EXPECT_EQ(FriendlyCardName("BT878 video (Hauppauge (bt878))", "bttv"), "BT878 video (Hauppauge (bt878)) (Conexant 878)");
  EXPECT_EQ(FriendlyCardName("Philips saa7134 card", "saa7134"), "Philips saa7134 card");
  EXPECT_EQ(FriendlyCardName("UVC Camera", "uvcvideo"), "UVC Camera");
}

}  // namespace
