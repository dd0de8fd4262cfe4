// Pairing a video node with its card's sound over scripted sysfs trees: a bttv-like PCI card
// whose sound is the slot's second function, an em28xx-like USB grabber with an audio
// interface, a saa7134-like card with sound on the same function, and cards without sound.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/devices/v4l2/AlsaPairing.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using pvx::platform::devices::v4l2::PairedAlsaCapture;

namespace {

constexpr const char* kPci = "devices/pci0000:00/0000:00:1e.0/";
constexpr const char* kUsb = "devices/pci0000:00/0000:00:14.0/usb1/";

// Lines of a tree under the sysfs root: "path/" is a folder, "path -> target" a link to
// another path of the tree, "path = text" a file.
void Script(const QString& root, const std::vector<QString>& tree) {
  for (const QString& entry : tree) {
    if (entry.contains(" -> ")) {
      const QString link = root + entry.section(" -> ", 0, 0);
      QDir().mkpath(QFileInfo(link).path());
      ASSERT_TRUE(QFile::link(root + entry.section(" -> ", 1), link)) << link.toStdString();
    } else if (entry.contains(" = ")) {
      test::WriteFile(root + entry.section(" = ", 0, 0), entry.section(" = ", 1).toUtf8() + "\n");
    } else {
      ASSERT_TRUE(QDir().mkpath(root + entry));
    }
  }
}

struct PairingRow {
  const char* name;
  std::vector<QString> tree;
  const char* node;
  const char* device;  // nullptr: no pairing
  const char* cardName;
};

// The onboard sound of the machine, on its own PCI device: never the card's.
const std::vector<QString> kOnboard = {
    QString(kPci).replace("1e.0/", "1b.0/"),
    "class/sound/card0/device -> " + QString(kPci).replace("1e.0/", "1b.0"),
    "class/sound/card0/id = PCH", "class/sound/card0/pcmC0D0c/", "class/sound/card0/pcmC0D0p/"};

std::vector<QString> With(std::vector<QString> tree) {
  tree.insert(tree.begin(), kOnboard.begin(), kOnboard.end());
  return tree;
}

}  // namespace

TEST(AlsaPairing, FindsTheCardsOwnCaptureDevice) {
  const PairingRow rows[] = {
      {"bttv: sound on the slot's second function",
       With({QString(kPci) + "0000:05:00.0/", QString(kPci) + "0000:05:00.1/",
             "class/video4linux/video0/device -> " + QString(kPci) + "0000:05:00.0",
             "class/sound/card29/device -> " + QString(kPci) + "0000:05:00.1",
             "class/sound/card29/id = Bt878", "class/sound/card29/pcmC29D1c/",
             "class/sound/card29/pcmC29D0c/"}),
       "video0", "hw:29,0", "Bt878"},
      {"em28xx: the grabber's audio interface, pcm listed in the class folder",
       With({QString(kUsb) + "1-2/1-2:1.0/", QString(kUsb) + "1-2/1-2:1.1/",
             QString(kUsb) + "1-3/1-3:1.2/",
             "class/video4linux/video1/device -> " + QString(kUsb) + "1-2/1-2:1.0",
             "class/sound/card27/device -> " + QString(kUsb) + "1-3/1-3:1.2",
             "class/sound/card27/id = Webcam", "class/sound/card27/pcmC27D0c/",
             "class/sound/card30/device -> " + QString(kUsb) + "1-2/1-2:1.1",
             "class/sound/card30/id = Em28xx", "class/sound/pcmC30D0c/"}),
       "video1", "hw:30,0", "Em28xx"},
      {"saa7134: the same function beats a neighbour, and a card without id",
       With({QString(kPci) + "0000:06:00.0/", QString(kPci) + "0000:06:00.1/",
             "class/video4linux/video2/device -> " + QString(kPci) + "0000:06:00.0",
             "class/sound/card24/device -> " + QString(kPci) + "0000:06:00.1",
             "class/sound/card24/pcmC24D0c/",
             "class/sound/card26/device -> " + QString(kPci) + "0000:06:00.0",
             "class/sound/card26/pcmC26D0c/"}),
       "video2", "hw:26,0", "card26"},
      {"a dangling sound link is passed over",
       With({QString(kPci) + "0000:05:00.0/",
             "class/video4linux/video0/device -> " + QString(kPci) + "0000:05:00.0",
             "class/sound/card23/device -> " + QString(kPci) + "0000:05:00.1",
             "class/sound/card23/pcmC23D0c/",
             "class/sound/card25/device -> " + QString(kPci) + "0000:05:00.0",
             "class/sound/card25/id = SAA7134", "class/sound/card25/pcmC25D0c/"}),
       "video0", "hw:25,0", "SAA7134"},
      {"a webcam without sound", With({QString(kUsb) + "1-4/1-4:1.0/",
                                       "class/video4linux/video0/device -> " + QString(kUsb) + "1-4/1-4:1.0"}),
       "video0", nullptr, nullptr},
      {"sound on the card but playback only",
       With({QString(kPci) + "0000:05:00.0/", QString(kPci) + "0000:05:00.1/",
             "class/video4linux/video0/device -> " + QString(kPci) + "0000:05:00.0",
             "class/sound/card29/device -> " + QString(kPci) + "0000:05:00.1",
             "class/sound/card29/pcmC29D0p/"}),
       "video0", nullptr, nullptr},
      {"the video node's own link dangles",
       With({"class/video4linux/video0/device -> " + QString(kPci) + "0000:05:00.0",
             "class/sound/card29/device -> " + QString(kPci) + "0000:05:00.0"}),
       "video0", nullptr, nullptr},
      {"no such node", kOnboard, "video9", nullptr, nullptr},
  };
  int n = 0;
  for (const PairingRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QString root = test::Home() + QString("sys%1/").arg(n++);
    Script(root, row.tree);
    const auto paired = PairedAlsaCapture(row.node, root.chopped(1));
    ASSERT_EQ(paired.has_value(), row.device != nullptr);
    if (!paired) continue;
    EXPECT_EQ(paired->Device.toStdString(), row.device);
    EXPECT_EQ(paired->Name.toStdString(), row.cardName);
    // No such ALSA card on this machine, so no mixer lines.
    EXPECT_TRUE(paired->Lines.isEmpty());
  }
}
