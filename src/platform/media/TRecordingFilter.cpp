#include "platform/media/TRecordingFilter.h"

#include <gst/app/gstappsink.h>
#include <gst/base/gstbasesink.h>

#include "platform/graph/GstPtr.h"
#include "platform/graph/Interfaces.h"
#include "platform/media/FfmpegSupport.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

constexpr const char* kVideoCaps =
    "video/x-raw, format=(string){ YUY2, UYVY, I420, BGR, RGB, BGRx, RGBx, NV12, Y42B, GRAY8 }";
constexpr const char* kAudioCaps =
    "audio/x-raw, format=(string)S16LE, layout=(string)interleaved, channels=(int)[ 1, 2 ]";

}  // namespace

struct TRecordingFilter::Input {
  TRecordingFilter* owner = nullptr;
  TPin* pin = nullptr;
  GstElement* sink = nullptr;
  bool video = false;
  int live = -1;  // found out from the first sample
};

TRecordingFilter::TRecordingFilter(QString friendlyName) : TFilter(std::move(friendlyName)) {
  EnsureGstreamer();
  SetElement(gst_bin_new(nullptr));
}

TRecordingFilter::~TRecordingFilter() {
  if (Element()) gst_element_set_state(Element(), GST_STATE_NULL);
  EndSession();
}

TPin& TRecordingFilter::AddInput(const QString& name, MediaMajor major) {
  TPin& pin = AddPin(name, PinDir::Input, PinCategory::None, major);
  auto input = std::make_unique<Input>();
  input->owner = this;
  input->pin = &pin;
  input->video = major == MediaMajor::Video;
  const QByteArray child = "sink" + QByteArray::number(int(inputs_.size()));
  GstElement* sink = MakeElement("appsink", child.constData());
  if (!sink || !Element()) return pin;
  GstCapsPtr caps(gst_caps_from_string(input->video ? kVideoCaps : kAudioCaps));
  // Samples are taken as they come; the session keeps its own time line.
  g_object_set(sink, "caps", caps.get(), "sync", FALSE, "enable-last-sample", FALSE, nullptr);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = [](GstAppSink* s, gpointer in) -> GstFlowReturn {
    return GstFlowReturn(OnSample(s, in));
  };
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, input.get(), nullptr);
  gst_bin_add(GST_BIN(Element()), sink);
  input->sink = sink;
  const char* entry = child.constData();
  QByteArray converter;
  if (!input->video) {
    // Sound of another sample format or more channels is converted; 16-bit stereo passes as is.
    converter = "convert" + QByteArray::number(int(inputs_.size()));
    GstElement* convert = MakeElement("audioconvert", converter.constData());
    if (convert) {
      gst_bin_add(GST_BIN(Element()), convert);
      gst_element_link(convert, sink);
      entry = converter.constData();
    }
  }
  Ghost(Element(), entry, "sink", name.toUtf8().constData());
  inputs_.push_back(std::move(input));
  return pin;
}

TPin& TRecordingFilter::AddFileOutput(const QString& name) {
  TPin& pin = AddPin(name, PinDir::Output, PinCategory::None, MediaMajor::Stream);
  if (Element()) {
    GstPad* pad = gst_ghost_pad_new_no_target(name.toUtf8().constData(), GST_PAD_SRC);
    gst_pad_set_active(pad, TRUE);
    gst_element_add_pad(Element(), pad);
  }
  return pin;
}

QString TRecordingFilter::LastError() const {
  std::lock_guard lock(mutex_);
  // A failure while writing shows at once, not only when the recording is stopped.
  return error_.isEmpty() && session_ ? session_->Error() : error_;
}

TRecordProfile TRecordingFilter::CurrentProfile() const {
  std::lock_guard lock(mutex_);
  return profile_;
}

QString TRecordingFilter::PeerFileName() const {
  for (TPin* pin : PinsOf(PinDir::Output)) {
    TPin* peer = pin->ConnectedTo();
    if (!peer) continue;
    if (const auto* sink = peer->Filter().As<IFileSink>()) return sink->GetCurFile();
  }
  return QString();
}

TFilter* TRecordingFilter::Upstream(const QString& input) const {
  TPin* pin = FindPin(input);
  return pin && pin->ConnectedTo() ? &pin->ConnectedTo()->Filter() : nullptr;
}

bool TRecordingFilter::BeforeRun() {
  EndSession();  // one left from a run that failed to start
  bool video = false, audio = false;
  for (const auto& in : inputs_) {
    in->live = -1;
    // An input left unconnected gets no data: it must not hold the pipeline back from playing.
    if (in->sink) g_object_set(in->sink, "async", gboolean(in->pin->IsConnected()), nullptr);
    if (!in->pin->IsConnected()) continue;
    (in->video ? video : audio) = true;
  }
  if (!video && !audio) return true;  // idle: not part of any stream
  TRecordProfile profile;
  QString why;
  if (!MakeProfile(profile, why)) {
    qCWarning(lcMedia) << Name() << "cannot record:" << why;
    std::lock_guard lock(mutex_);
    error_ = why;
    return false;
  }
  auto session = std::make_shared<TRecordSession>(profile, video, audio);
  if (!session->Start(why)) {
    qCWarning(lcMedia) << Name() << "cannot record:" << why;
    std::lock_guard lock(mutex_);
    error_ = why;
    return false;
  }
  std::lock_guard lock(mutex_);
  error_.clear();
  profile_ = profile;
  session_ = std::move(session);
  return true;
}

void TRecordingFilter::AfterStop() { EndSession(); }

void TRecordingFilter::EndSession() {
  std::shared_ptr<TRecordSession> session;
  {
    std::lock_guard lock(mutex_);
    session = std::move(session_);
  }
  if (!session) return;
  const bool ok = session->Finish();
  std::lock_guard lock(mutex_);
  if (!ok) error_ = session->Error();
}

int TRecordingFilter::OnSample(GstAppSink* sink, void* rawInput) {
  auto* input = static_cast<Input*>(rawInput);
  GstSamplePtr sample(gst_app_sink_pull_sample(sink));
  if (!sample) return GST_FLOW_ERROR;
  if (input->live < 0) {
    gboolean live = FALSE, upstreamLive = FALSE;
    gst_base_sink_query_latency(GST_BASE_SINK(sink), &live, &upstreamLive, nullptr, nullptr);
    input->live = upstreamLive ? 1 : 0;
  }
  TRecordingFilter* self = input->owner;
  std::shared_ptr<TRecordSession> session;
  {
    std::lock_guard lock(self->mutex_);
    session = self->session_;
  }
  // A session finished meanwhile refuses the sample instead of waiting for room.
  if (session) session->Push(sample.get(), input->video, input->live == 1);
  return GST_FLOW_OK;
}

}  // namespace pvx::platform::media
