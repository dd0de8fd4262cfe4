#pragma once
// The pure half of the ALSA mixer: how ALSA's raw level ranges map onto 0..65535, and how a
// card's simple-mixer elements are laid out as speakers and recording destinations. Kept free
// of ALSA types so it can be tested on a machine without a sound card.

#include <QString>
#include <vector>

#include "platform/mixer/TMixerComponent.h"

namespace pvx::platform::mixer {

// min..max onto 0..65535, rounded; values outside the range are clamped; an empty range reads 0.
int AlsaToMixerLevel(long raw, long min, long max);
// 0..65535 onto min..max, rounded; levels outside are clamped.
long MixerLevelToAlsa(int level, long min, long max);

// What the layout needs to know of one simple-mixer element.
struct TAlsaElementCaps {
  QString Name;
  unsigned Index = 0;
  bool PlaybackVolume = false;
  bool PlaybackSwitch = false;
  bool CaptureVolume = false;
  bool CaptureSwitch = false;
};

// "Front Mic" for index 0, "Line 2" for index 2, as ALSA's own tools show them.
QString AlsaElementLabel(const TAlsaElementCaps& element);

struct TAlsaDestinationLayout {
  TMixerDestinationType Type = TMixerDestinationType::Undefined;
  QString Name;
  bool Capture = false;   // reads and sets the capture side of its elements
  int Master = -1;        // element carrying the destination's own control, -1 none
  std::vector<int> Lines; // elements that are its source lines, in mixer order
};

// Speakers: the playback elements, with "Master" (else the first with a playback volume) as the
// destination's control and the others as lines; it exists only when some element has a
// playback volume. Recording: the capture elements, with "Capture" as the control when it has a
// capture volume. Speakers come first.
std::vector<TAlsaDestinationLayout> LayOutAlsaElements(const std::vector<TAlsaElementCaps>& elements);

}  // namespace pvx::platform::mixer
