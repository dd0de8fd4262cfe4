#include "platform/media/TMediaSplitter.h"

#include <gst/gst.h>

#include "platform/components/ComponentSupport.h"
#include "platform/graph/GstPtr.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TimeShiftParts.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

// "File": any other container in which libavformat found streams (MP4, Matroska, Ogg ...).
const QStringList kFormats = {"MPEG1Video", "MPEG2Video", "MPEGAudio", "MPEG1System",
                              "MPEG2Program", "AVI", "WAVE", "File"};

}  // namespace

TMediaSplitter::TMediaSplitter() : TFilter(kMediaSplitterName) {
  AddPin("Input", PinDir::Input, PinCategory::None, MediaMajor::Stream);
  auto bin = components::BuildBin("decodebin name=decode", "mediasplitter",
                                  {{"decode", "sink", "Input"}});
  if (!bin) return;
  decoder_ = graph::ChildByName(bin.get(), "decode").get();  // the bin keeps it
  padAdded_ = g_signal_connect(decoder_, "pad-added", G_CALLBACK(&TMediaSplitter::OnPadAdded), this);
  SetElement(bin.get());
}

TMediaSplitter::~TMediaSplitter() {
  if (Element()) gst_element_set_state(Element(), GST_STATE_NULL);
  if (decoder_ && padAdded_) g_signal_handler_disconnect(decoder_, padAdded_);
}

bool TMediaSplitter::AddOutput(const char* pin, const char* description, const char* first,
                               const char* last) {
  if (FindPin(pin)) return true;
  GError* error = nullptr;
  GstElement* chain = gst_parse_bin_from_description(description, FALSE, &error);
  if (error) g_error_free(error);
  if (!chain) return false;
  gst_object_set_name(GST_OBJECT(chain), first);
  gst_bin_add(GST_BIN(Element()), chain);
  // The chain's ends become the decoded stream's way in and the pin.
  const graph::GstPtr<GstPad> in = graph::StaticPad(graph::ChildByName(chain, "head").get(), "sink");
  const graph::GstPtr<GstPad> out = graph::StaticPad(graph::ChildByName(chain, "tail").get(), "src");
  if (!in || !out) return false;
  gst_element_add_pad(chain, gst_ghost_pad_new("sink", in.get()));
  gst_element_add_pad(chain, gst_ghost_pad_new("src", out.get()));
  if (!Ghost(Element(), first, "src", pin)) return false;
  AddPin(pin, PinDir::Output, PinCategory::None,
         QByteArray(last) == "video" ? MediaMajor::Video : MediaMajor::Audio);
  return true;
}

bool TMediaSplitter::PrepareConnect(TPin& own, TPin& peer) {
  if (own.Dir() != PinDir::Input) return true;
  if (!Element() || !kFormats.contains(FormatOfPin(peer))) return false;
  bool video = false, audio = false;
  for (const TMediaType& t : peer.MediaTypes) {
    video = video || t.Major == MediaMajor::Video;
    audio = audio || t.Major == MediaMajor::Audio;
  }
  if (!video && !audio) return false;
  if (video && !AddOutput("Video", "videoconvert name=head ! queue name=tail", "videochain", "video"))
    return false;
  if (audio &&
      !AddOutput("Audio", "audioconvert name=head ! audioresample ! queue name=tail", "audiochain",
                 "audio"))
    return false;
  return true;
}

void TMediaSplitter::OnPadAdded(GstElement*, GstPad* pad, void* rawSelf) {
  auto* self = static_cast<TMediaSplitter*>(rawSelf);
  GstCapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
  if (!caps || gst_caps_is_empty(caps.get())) return;
  const char* name = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
  const char* chain = g_str_has_prefix(name, "video/") ? "videochain"
                      : g_str_has_prefix(name, "audio/") ? "audiochain"
                                                         : nullptr;
  if (!chain) return;
  GstPtr<GstElement> target = Adopt(gst_bin_get_by_name(GST_BIN(self->Element()), chain));
  if (!target) return;  // a stream the file's description did not list stays unused
  GstPtr<GstPad> sink = Adopt(gst_element_get_static_pad(target.get(), "sink"));
  if (sink && !gst_pad_is_linked(sink.get())) gst_pad_link(pad, sink.get());
}

}  // namespace pvx::platform::media
