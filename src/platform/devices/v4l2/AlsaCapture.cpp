#include "platform/devices/v4l2/AlsaCapture.h"

#include <gst/gst.h>

#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices::v4l2 {

using namespace pvx::platform::graph;

namespace {


// 40 ms of buffering in 10 ms periods: short enough to keep the sound with the picture, long
// enough for a busy desktop not to drop samples.
constexpr int kBufferTimeUs = 40000;
constexpr int kLatencyTimeUs = 10000;

int PhysicalTypeOf(const QString& line) {
  const QString name = line.toLower();
  // The tuner's sound comes as "TV Tuner", "FM" or, past the video decoder, "Video".
  if (name.contains("tuner") || name.contains("tv") || name.contains("video") || name == "fm")
    return PhysConn_Audio_Tuner;
  if (name.contains("mic")) return PhysConn_Audio_Mic;
  if (name.contains("aux")) return PhysConn_Audio_AUX;
  return PhysConn_Audio_Line;
}

int CardNumberOf(const QString& device) {
  // "hw:1,0" -> 1
  const QString card = device.section(':', 1).section(',', 0, 0);
  bool ok = false;
  const int number = card.toInt(&ok);
  return ok ? number : -1;
}

}  // namespace

QByteArray TAlsaAudioCapture::CardSource(const QString& device) {
  return QStringLiteral("alsasrc name=src device=%1 buffer-time=%2 latency-time=%3")
      .arg(device)
      .arg(kBufferTimeUs)
      .arg(kLatencyTimeUs)
      .toUtf8();
}

TAlsaAudioCapture::TAlsaAudioCapture(TAlsaCaptureDevice device,
                                     std::unique_ptr<ICaptureElements> mixer,
                                     const QByteArray& source)
    : TFilter(device.Name), device_(std::move(device)), mixer_(std::move(mixer)) {
  if (mixer_) lines_ = std::make_unique<TCaptureLines>(*mixer_);
  for (const QString& line : device_.Lines)
    AddPin(line, PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio, PhysicalTypeOf(line));
  TPin& capture = AddPin("Capture", PinDir::Output, PinCategory::Capture, MediaMajor::Audio);
  for (int i = 0; i < GetNumberOfCapabilities(); ++i) {
    TMediaType t;
    GetStreamCaps(i, t);
    capture.MediaTypes.push_back(t);
  }
  const QByteArray description = (source.isEmpty() ? CardSource(device_.Device) : source) +
                                 " ! audioconvert ! audioresample ! capsfilter name=out";
  if (GstElement* bin = MakeBin(description.constData(), "alsa-audio-capture")) {
    SetElement(bin);
    Ghost(bin, "out", "src", "Capture");
  }
  GetStreamCaps(0, format_);
  SetFormat(format_);
}

TAlsaAudioCapture::~TAlsaAudioCapture() = default;

int TAlsaAudioCapture::GetNumberOfCapabilities() const { return CapturePcmRateCount(); }

bool TAlsaAudioCapture::GetStreamCaps(int index, TMediaType& type) const { return CapturePcmType(index, type); }

bool TAlsaAudioCapture::GetFormat(TMediaType& type) const {
  type = format_;
  return true;
}

bool TAlsaAudioCapture::SetFormat(const TMediaType& type) {
  if (Graph() && Graph()->State() != GraphState::Stopped) return false;
  if (!AcceptsCapturePcm(type)) return false;
  format_ = type;
  if (GstPtr<GstElement> out = ChildByName(Element(), "out")) {
    GstCapsPtr caps(ToCaps(type));
    g_object_set(out.get(), "caps", caps.get(), nullptr);
  }
  return true;
}

int TAlsaAudioCapture::MixerLine(int inputPin) const {
  if (!lines_ || inputPin < 0 || inputPin >= device_.Lines.size()) return -1;
  return int(lines_->Names().indexOf(device_.Lines[inputPin]));
}

bool TAlsaAudioCapture::put_Enable(int inputPin, bool enable) {
  const int line = MixerLine(inputPin);
  if (line < 0) return false;
  // Lines are exclusive: a line is disabled by enabling another.
  return !enable || lines_->Select(line);
}

bool TAlsaAudioCapture::get_Enable(int inputPin, bool& enabled) const {
  const int line = MixerLine(inputPin);
  if (line < 0) return false;
  enabled = lines_->Selected() == line;
  return true;
}

std::shared_ptr<TFilter> MakeAlsaAudioCapture(const TAlsaCaptureDevice& device) {
  return std::make_shared<TAlsaAudioCapture>(device,
                                             OpenCardCaptureElements(CardNumberOf(device.Device)));
}

}  // namespace pvx::platform::devices::v4l2
