#include "platform/components/TSampleGrabberEx.h"

#include <gst/video/video.h>

#include <mutex>

#include "platform/components/ComponentSupport.h"
#include "platform/graph/MediaCaps.h"

namespace pvx::platform::components {

using namespace graph;

struct TSampleGrabberEx::State {
  std::mutex mutex;
  GstCapsPtr negotiated;  // from the last caps event on the input
  GstCapsPtr lastCaps;    // the caps the kept frame came with
  GstBufferPtr lastBuffer;
  GstCapsPtr accepted;    // the restriction set by SetMediaType
  GstElement* filter = nullptr;  // owned by the bin
  GstPtr<GstPad> probePad;
  gulong probeId = 0;
};

namespace {

bool IsPacked422(const GstVideoInfo& info) {
  return GST_VIDEO_INFO_N_PLANES(&info) == 1 && GST_VIDEO_INFO_IS_YUV(&info) &&
         GST_VIDEO_FORMAT_INFO_W_SUB(info.finfo, 1) == 1 &&
         GST_VIDEO_FORMAT_INFO_H_SUB(info.finfo, 1) == 0;
}

// Copies every plane row by row, leaving out the padding at the end of each row.
bool CopyPacked(GstBuffer* buffer, GstCaps* caps, QByteArray& out) {
  GstVideoInfo info;
  if (!caps || !gst_video_info_from_caps(&info, caps)) {
    // Not raw video: the bytes as they are.
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return false;
    out = QByteArray(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
    gst_buffer_unmap(buffer, &map);
    return true;
  }
  GstVideoFrame frame;
  if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) return false;
  out.clear();
  for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&frame); ++plane) {
    guint comp = 0;
    while (comp + 1 < GST_VIDEO_FRAME_N_COMPONENTS(&frame) &&
           GST_VIDEO_FORMAT_INFO_PLANE(info.finfo, comp) != plane)
      ++comp;
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
    int rowBytes = IsPacked422(info)
                       ? GST_ROUND_UP_2(GST_VIDEO_FRAME_WIDTH(&frame)) * 2
                       : GST_VIDEO_FRAME_COMP_WIDTH(&frame, comp) *
                             GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, comp);
    if (rowBytes <= 0 || rowBytes > stride) rowBytes = stride;  // formats without a pixel stride
    const int rows = GST_VIDEO_FRAME_COMP_HEIGHT(&frame, comp);
    const auto* data = static_cast<const char*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
    out.reserve(out.size() + qsizetype(rowBytes) * rows);
    for (int row = 0; row < rows; ++row) out.append(data + qsizetype(row) * stride, rowBytes);
  }
  gst_video_frame_unmap(&frame);
  return true;
}

}  // namespace

TSampleGrabberEx::TSampleGrabberEx()
    : TFilter(QStringLiteral("Sample Grabber")), state_(std::make_unique<State>()) {
  AddPin("Input", PinDir::Input, PinCategory::None, MediaMajor::Video);
  AddPin("Output", PinDir::Output, PinCategory::None, MediaMajor::Video);
  auto bin = BuildBin("capsfilter name=accept ! identity name=grab silent=true", "samplegrabber",
                      {{"accept", "sink", "Input"}, {"grab", "src", "Output"}});
  if (!bin) return;
  state_->filter = ChildByName(bin.get(), "accept").get();  // the bin keeps it alive
  state_->probePad = StaticPad(ChildByName(bin.get(), "grab").get(), "sink");
  state_->probeId = gst_pad_add_probe(
      state_->probePad.get(),
      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST |
                      GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
      [](GstPad* pad, GstPadProbeInfo* info, gpointer state) {
        return GstPadProbeReturn(OnProbe(pad, info, state));
      },
      state_.get(), nullptr);
  SetElement(bin.get());
}

TSampleGrabberEx::~TSampleGrabberEx() {
  // Streaming must be over before the probe's state goes away.
  if (Element()) gst_element_set_state(Element(), GST_STATE_NULL);
  if (state_->probePad) gst_pad_remove_probe(state_->probePad.get(), state_->probeId);
}

int TSampleGrabberEx::OnProbe(void*, void* rawInfo, void* rawState) {
  auto* info = static_cast<GstPadProbeInfo*>(rawInfo);
  auto* state = static_cast<State*>(rawState);
  GstBuffer* buffer = nullptr;
  if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
    buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  } else if (info->type & GST_PAD_PROBE_TYPE_BUFFER_LIST) {
    GstBufferList* list = GST_PAD_PROBE_INFO_BUFFER_LIST(info);
    const guint count = gst_buffer_list_length(list);
    if (count > 0) buffer = gst_buffer_list_get(list, count - 1);
  } else if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
             event && GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    std::lock_guard lock(state->mutex);
    state->negotiated.reset(caps ? gst_caps_ref(caps) : nullptr);
  }
  if (buffer) {
    std::lock_guard lock(state->mutex);
    state->lastBuffer.reset(gst_buffer_ref(buffer));
    state->lastCaps.reset(state->negotiated ? gst_caps_ref(state->negotiated.get()) : nullptr);
  }
  return GST_PAD_PROBE_OK;
}

bool TSampleGrabberEx::SetMediaType(const TMediaType& type) {
  if (!type.IsVideo() || !state_->filter) return false;
  if (!type.Subtype.isEmpty() && type.Subtype != "YUY2" && type.Subtype != "UYVY" &&
      type.Subtype != "RGB24")
    return false;
  GstCapsPtr caps(ToCaps(type));
  g_object_set(state_->filter, "caps", caps.get(), nullptr);
  std::lock_guard lock(state_->mutex);
  state_->accepted = std::move(caps);
  return true;
}

bool TSampleGrabberEx::PrepareConnect(TPin& own, TPin& peer) {
  if (own.Dir() != PinDir::Input) return true;
  GstCapsPtr accepted;
  {
    std::lock_guard lock(state_->mutex);
    if (state_->accepted) accepted.reset(gst_caps_ref(state_->accepted.get()));
  }
  GstPad* peerPad = peer.Pad();
  if (!accepted || !peerPad) return true;
  GstCapsPtr offered(gst_pad_query_caps(peerPad, accepted.get()));
  return offered && !gst_caps_is_empty(offered.get());
}

void TSampleGrabberEx::Disconnected(TPin& own) {
  if (own.Dir() != PinDir::Input) return;
  std::lock_guard lock(state_->mutex);
  state_->negotiated.reset();
  state_->lastCaps.reset();
  state_->lastBuffer.reset();
}

bool TSampleGrabberEx::GetConnectedMediaType(TMediaType& type) const {
  std::lock_guard lock(state_->mutex);
  const GstCaps* caps = state_->lastBuffer ? state_->lastCaps.get() : state_->negotiated.get();
  return caps && FromCaps(caps, type);
}

bool TSampleGrabberEx::GetCurrentBuffer(QByteArray& buffer) const {
  GstBufferPtr frame;
  GstCapsPtr caps;
  {
    std::lock_guard lock(state_->mutex);
    if (!state_->lastBuffer) return false;
    frame.reset(gst_buffer_ref(state_->lastBuffer.get()));
    if (state_->lastCaps) caps.reset(gst_caps_ref(state_->lastCaps.get()));
  }
  // Copied outside the lock so the stream never waits for it.
  return CopyPacked(frame.get(), caps.get(), buffer);
}

}  // namespace pvx::platform::components
