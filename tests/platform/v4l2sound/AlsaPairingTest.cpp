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

QString Pci(const char* function) { return QString("devices/pci0000:00/0000:00:1e.0/0000:") + function; }
QString Usb(const char* interface) { return QString("devices/pci0000:00/0000:00:14.0/usb1/") + interface; }

// A sysfs tree, always with the machine's onboard sound (card 0, never a capture card's).
struct Tree {
  Tree() { Card(0, "devices/pci0000:00/0000:00:1b.0", "PCH", {"card0/pcmC0D0c", "card0/pcmC0D0p"}); }
  Tree& Video(const char* node, const QString& device, bool present = true) {
    Link(QString("class/video4linux/%1/device").arg(node), device, present);
    return *this;
  }
  // `pcms` are folders under class/sound.
  Tree& Card(int n, const QString& device, const QString& id, const QStringList& pcms, bool present = true) {
    Link(QString("class/sound/card%1/device").arg(n), device, present);
    if (!id.isEmpty()) files.push_back({QString("class/sound/card%1/id").arg(n), id});
    for (const QString& pcm : pcms) folders << "class/sound/" + pcm;
    return *this;
  }
  void Link(const QString& link, const QString& target, bool present) {
    links.push_back({link, target});
    if (present) folders << target;
  }
  void Write(const QString& root) const {
    for (const QString& folder : folders) ASSERT_TRUE(QDir().mkpath(root + folder));
    for (const auto& [link, target] : links) {
      QDir().mkpath(QFileInfo(root + link).path());
      ASSERT_TRUE(QFile::link(root + target, root + link));
    }
    for (const auto& [path, text] : files) test::WriteFile(root + path, text.toUtf8() + "\n");
  }
  QStringList folders;
  std::vector<std::pair<QString, QString>> links, files;
};

struct PairingRow {
  const char* name;
  Tree tree;
  const char* node;
  const char* device;  // nullptr: no pairing
  const char* cardName;
};

}  // namespace

TEST(AlsaPairing, FindsTheCardsOwnCaptureDevice) {
  const PairingRow rows[] = {
      {"bttv: sound on the slot's second function",
       Tree().Video("video0", Pci("05:00.0")).Card(29, Pci("05:00.1"), "Bt878", {"card29/pcmC29D1c", "card29/pcmC29D0c"}),
       "video0", "hw:29,0", "Bt878"},
      {"em28xx: the grabber's audio interface, not another device's; pcm in the class folder",
       Tree().Video("video1", Usb("1-2/1-2:1.0"))
           .Card(27, Usb("1-3/1-3:1.2"), "Webcam", {"card27/pcmC27D0c"})
           .Card(30, Usb("1-2/1-2:1.1"), "Em28xx", {"pcmC30D0c"}),
       "video1", "hw:30,0", "Em28xx"},
      {"saa7134: the same function beats a neighbour; a card without id",
       Tree().Video("video2", Pci("06:00.0"))
           .Card(24, Pci("06:00.1"), "", {"card24/pcmC24D0c"})
           .Card(26, Pci("06:00.0"), "", {"card26/pcmC26D0c"}),
       "video2", "hw:26,0", "card26"},
      {"a dangling sound link is passed over",
       Tree().Video("video0", Pci("05:00.0"))
           .Card(23, Pci("05:00.1"), "Gone", {"card23/pcmC23D0c"}, false)
           .Card(25, Pci("05:00.0"), "SAA7134", {"card25/pcmC25D0c"}),
       "video0", "hw:25,0", "SAA7134"},
      {"a webcam without sound", Tree().Video("video0", Usb("1-4/1-4:1.0")), "video0", nullptr, nullptr},
      {"sound on the card but playback only",
       Tree().Video("video0", Pci("05:00.0")).Card(29, Pci("05:00.1"), "Bt878", {"card29/pcmC29D0p"}),
       "video0", nullptr, nullptr},
      {"the video node's own link dangles",
       Tree().Video("video0", Pci("05:00.0"), false).Card(29, Pci("05:00.0"), "X", {"card29/pcmC29D0c"}, false),
       "video0", nullptr, nullptr},
  };
  int n = 0;
  for (const PairingRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QString root = test::Home() + QString("sys%1/").arg(n++);
    row.tree.Write(root);
    const auto paired = PairedAlsaCapture(row.node, root.chopped(1));
    ASSERT_EQ(paired.has_value(), row.device != nullptr);
    if (!paired) continue;
    EXPECT_EQ(paired->Device.toStdString(), row.device);
    EXPECT_EQ(paired->Name.toStdString(), row.cardName);
    EXPECT_TRUE(paired->Lines.isEmpty());  // no such ALSA card here, so no mixer lines
  }
}
