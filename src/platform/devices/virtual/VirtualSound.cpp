#include "platform/devices/virtual/VirtualSound.h"

#include <gst/gst.h>

#include "platform/devices/virtual/TVirtualCard.h"
#include "platform/graph/Interfaces.h"

namespace pvx::platform::devices {

namespace {
// The line input carries a tone of its own.
constexpr int kLineToneHz = 1000;
}  // namespace

void ApplySound(GstElement* src, const TVirtualCard& card, const TReception& sound) {
  switch (sound.Kind) {
    case SourceKind::Station: {
      int tone = sound.Station->ToneHz;
      // The second language is heard a fifth higher, so a switch is audible.
      if (card.TVAudioMode() & graph::AMTVAUDIO_MODE_LANG_B) tone = tone * 3 / 2;
      gst_util_set_object_arg(G_OBJECT(src), "wave", "sine");
      g_object_set(src, "freq", double(tone), "volume", 0.3, nullptr);
      break;
    }
    case SourceKind::Line:
      gst_util_set_object_arg(G_OBJECT(src), "wave", "sine");
      g_object_set(src, "freq", double(kLineToneHz), "volume", 0.2, nullptr);
      break;
    case SourceKind::Silence:
      gst_util_set_object_arg(G_OBJECT(src), "wave", "silence");
      break;
    default:  // hiss where nothing is tuned
      gst_util_set_object_arg(G_OBJECT(src), "wave", "pink-noise");
      g_object_set(src, "volume", 0.05, nullptr);
      break;
  }
}

}  // namespace pvx::platform::devices
