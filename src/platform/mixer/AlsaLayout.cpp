#include "platform/mixer/AlsaLayout.h"

#include <algorithm>

namespace pvx::platform::mixer {

int AlsaToMixerLevel(long raw, long min, long max) {
  if (max <= min) return 0;
  const long long span = static_cast<long long>(max) - min;
  const long long offset = static_cast<long long>(std::clamp(raw, min, max)) - min;
  return static_cast<int>((offset * kMixerFullScale + span / 2) / span);
}

long MixerLevelToAlsa(int level, long min, long max) {
  if (max <= min) return min;
  const long long span = static_cast<long long>(max) - min;
  const long long clamped = std::clamp(level, 0, kMixerFullScale);
  return static_cast<long>(min + (clamped * span + kMixerFullScale / 2) / kMixerFullScale);
}

QString AlsaElementLabel(const TAlsaElementCaps& element) {
  return element.Index == 0 ? element.Name : QStringLiteral("%1 %2").arg(element.Name).arg(element.Index);
}

namespace {

int FindMaster(const std::vector<TAlsaElementCaps>& elements, const QString& name, bool capture) {
  for (size_t i = 0; i < elements.size(); ++i) {
    const TAlsaElementCaps& e = elements[i];
    const bool volume = capture ? e.CaptureVolume : e.PlaybackVolume;
    if (volume && e.Index == 0 && e.Name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
  }
  return -1;
}

std::vector<int> LinesOf(const std::vector<TAlsaElementCaps>& elements, int master, bool capture) {
  std::vector<int> lines;
  for (size_t i = 0; i < elements.size(); ++i) {
    const TAlsaElementCaps& e = elements[i];
    const bool member = capture ? (e.CaptureVolume || e.CaptureSwitch)
                                : (e.PlaybackVolume || e.PlaybackSwitch);
    if (member && int(i) != master) lines.push_back(int(i));
  }
  return lines;
}

}  // namespace

std::vector<TAlsaDestinationLayout> LayOutAlsaElements(
    const std::vector<TAlsaElementCaps>& elements) {
  std::vector<TAlsaDestinationLayout> layout;

  int master = FindMaster(elements, "Master", false);
  if (master < 0) {
    const auto first = std::find_if(elements.begin(), elements.end(),
                                    [](const TAlsaElementCaps& e) { return e.PlaybackVolume; });
    if (first != elements.end()) master = int(first - elements.begin());
  }
  if (master >= 0) {
    layout.push_back({TMixerDestinationType::Speakers, AlsaElementLabel(elements[size_t(master)]),
                      false, master, LinesOf(elements, master, false)});
  }

  const int capture = FindMaster(elements, "Capture", true);
  std::vector<int> captureLines = LinesOf(elements, capture, true);
  if (capture >= 0 || !captureLines.empty()) {
    layout.push_back({TMixerDestinationType::WaveIn, "Capture", true, capture,
                      std::move(captureLines)});
  }
  return layout;
}

}  // namespace pvx::platform::mixer
