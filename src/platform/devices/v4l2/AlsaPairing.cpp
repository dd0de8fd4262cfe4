#include "platform/devices/v4l2/AlsaPairing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "platform/devices/v4l2/AlsaCapture.h"

namespace pvx::platform::devices::v4l2 {
namespace {

// Where a class device's "device" link leads, or empty when the link dangles.
QString DeviceOf(const QString& classDevice) {
  const QFileInfo link(classDevice + "/device");
  const QString target = link.canonicalFilePath();
  return QFileInfo(target).isDir() ? target : QString();
}

// The piece of hardware a device belongs to. A PCI card shows its sound as another function of
// the same slot (bttv, cx88) or on the same function (saa7134); a USB grabber's sound is another
// interface of the same USB device.
QString PhysicalDevice(const QString& device) {
  static const QRegularExpression pciFunction(
      "^[0-9a-fA-F]{4}:[0-9a-fA-F]{2}:[0-9a-fA-F]{2}\\.[0-7]$");
  static const QRegularExpression usbInterface("^[0-9]+-[0-9.]+:[0-9]+\\.[0-9]+$");
  const QFileInfo info(device);
  const QString name = info.fileName();
  if (usbInterface.match(name).hasMatch()) return info.path();
  if (pciFunction.match(name).hasMatch()) return device.left(device.size() - 2);
  return device;
}

QString ReadLine(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readLine()).trimmed();
}

// The lowest capture PCM of card `card`: the card folder holds pcmC<card>D<n>c, and so does
// the class folder on older kernels.
int CapturePcm(const QString& soundClass, int card) {
  const QRegularExpression pcm(QStringLiteral("^pcmC%1D([0-9]+)c$").arg(card));
  int lowest = -1;
  for (const QString& folder : {soundClass, soundClass + QStringLiteral("/card%1").arg(card)}) {
    for (const QString& entry : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      const auto match = pcm.match(entry);
      if (!match.hasMatch()) continue;
      const int device = match.captured(1).toInt();
      if (lowest < 0 || device < lowest) lowest = device;
    }
  }
  return lowest;
}

struct TCandidate {
  int Card = -1;
  bool SameFunction = false;  // the very device the video node hangs on
};

}  // namespace

std::optional<TAlsaCaptureDevice> PairedAlsaCapture(const QString& videoNode,
                                                    const QString& sysfsRoot) {
  const QString video = DeviceOf(sysfsRoot + "/class/video4linux/" + videoNode);
  if (video.isEmpty()) return std::nullopt;
  const QString hardware = PhysicalDevice(video);
  const QString soundClass = sysfsRoot + "/class/sound";

  static const QRegularExpression cardName("^card([0-9]+)$");
  std::vector<TCandidate> candidates;
  for (const QString& entry : QDir(soundClass).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const auto match = cardName.match(entry);
    if (!match.hasMatch()) continue;
    const QString device = DeviceOf(soundClass + "/" + entry);
    if (PhysicalDevice(device) != hardware) continue;  // a dangling link gives ""
    candidates.push_back({match.captured(1).toInt(), device == video});
  }
  // The card on the video's own function first, then by card number.
  std::sort(candidates.begin(), candidates.end(), [](const TCandidate& a, const TCandidate& b) {
    return a.SameFunction != b.SameFunction ? a.SameFunction : a.Card < b.Card;
  });

  for (const TCandidate& c : candidates) {
    const int pcm = CapturePcm(soundClass, c.Card);
    if (pcm < 0) continue;  // playback only: not the card's capture side
    TAlsaCaptureDevice found;
    found.Device = QStringLiteral("hw:%1,%2").arg(c.Card).arg(pcm);
    found.Name = ReadLine(soundClass + QStringLiteral("/card%1/id").arg(c.Card));
    if (found.Name.isEmpty() && sysfsRoot == "/sys")
      found.Name = ReadLine(QStringLiteral("/proc/asound/card%1/id").arg(c.Card));
    if (found.Name.isEmpty()) found.Name = QStringLiteral("card%1").arg(c.Card);
    if (auto mixer = OpenCardCaptureElements(c.Card)) found.Lines = TCaptureLines(*mixer).Names();
    return found;
  }
  return std::nullopt;
}

}  // namespace pvx::platform::devices::v4l2
