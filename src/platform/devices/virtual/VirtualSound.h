#pragma once
// The sound the virtual card gives for what it receives: a station's tone (a fifth higher in
// the second language), the line input's tone, hiss where nothing is tuned, or silence.

typedef struct _GstElement GstElement;

namespace pvx::platform::devices {

class TVirtualCard;
struct TReception;

// Sets an audiotestsrc to play `sound` as the card's audio output does.
void ApplySound(GstElement* audioTestSource, const TVirtualCard& card, const TReception& sound);

}  // namespace pvx::platform::devices
