#include "engine/WisRecordingGraph.h"

#include "engine/CaptureDevices.h"
#include "engine/CaptureFileName.h"
#include "engine/PreviewPipeline.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::engine {

using namespace pvx::platform::graph;
namespace media = pvx::platform::media;

namespace {

using formats::Container;

// The card's encoder makes MPEG-4 for both AVI formats.
int WisKindOf(const formats::TRecordFormatDef& format) {
  if (format.Container == Container::Avi) return kStreamMpeg4Avi;
  return format.Video == formats::VideoCodec::Mpeg1 ? kStreamMpeg1 : kStreamMpeg2;
}

int MultiplexerOutputOf(const formats::TRecordFormatDef& format) {
  switch (format.Container) {
    case Container::MpegSystem: return media::MpegOutput_Mpeg1;
    case Container::Vcd: return media::MpegOutput_Vcd;
    case Container::Dvd: return media::MpegOutput_Dvd;
    case Container::Svcd: return media::MpegOutput_Svcd;
    default: return media::MpegOutput_Mpeg2;
  }
}

}  // namespace

TFilterGraph& TWisRecordingGraph::Graph() const { return branch_.Graph(); }

void TWisRecordingGraph::TearDown() {
  branch_.TearDown();
  mux_.reset();
  audioEncoder_.reset();
}

bool TWisRecordingGraph::AddMultiplexer(int kind) {
  mux_ = branch_.Add(kind == kStreamMpeg4Avi ? media::kAviMuxName : media::kMpegMultiplexerName, "MPEGMux");
  return mux_ != nullptr;
}

bool TWisRecordingGraph::AddMPEGAudioEncoder() {
  audioEncoder_ = branch_.Add(media::kMpegAudioEncoderName, "MPEG1AudioEncoder");
  return audioEncoder_ != nullptr;
}

void TWisRecordingGraph::SelectFormat(int kind, int mpeg4Codec) {
  auto* config = devices_.VCapture() ? devices_.VCapture()->As<IStreamConfig>() : nullptr;
  if (!config) return;
  QString subtype = "MPEG1";
  if (kind == kStreamMpeg4Avi) subtype = mpeg4Codec != 0 ? "MP4S" : "DX50";
  else if (kind == kStreamMpeg2) subtype = "MPEG2";
  for (int i = 0; i < config->GetNumberOfCapabilities(); ++i) {
    TMediaType type;
    if (config->GetStreamCaps(i, type) && type.Subtype == subtype && type.Width == stored_.CaptureWidth &&
        type.Height == stored_.CaptureHeight) {
      config->SetFormat(type);
      return;
    }
  }
}

bool TWisRecordingGraph::Build(const TRecordRequest& r) {
  if (!preview_.Graph()) return false;
  Graph().Stop();
  TearDown();
  const int kind = WisKindOf(formats::RecordFormatOrDefault(stored_.RecordFormat));
  SelectFormat(kind, r.MPEG4Codec);
  if (!preview_.RenderRecordingPreview(false, kind)) report_.Error(1002);
  if (BuildBranch(r, kind)) return true;
  TearDown();
  report_.Error(1020);
  return false;
}

bool TWisRecordingGraph::BuildBranch(const TRecordRequest& r, int kind) {
  if (!AddMultiplexer(kind)) return false;
  TPin* capture = preview_.CapturePin();
  TPin* audio = preview_.AudioCapturePin();
  if (!capture) return false;
  if (kind == kStreamMpeg4Avi) {
    TPin* videoIn = mux_->FindPin(PinDir::Input, PinCategory::None, 0);
    TPin* audioIn = mux_->FindPin(PinDir::Input, PinCategory::None, 1);
    if (!videoIn || !Graph().Connect(*capture, *videoIn)) return false;
    if (RecordsSound(preview_, stored_) && audio && audioIn && !Graph().Connect(*audio, *audioIn)) return false;
  } else {
    TPin* videoIn = mux_->FindPin("Video");
    TPin* audioIn = mux_->FindPin("Audio");
    if (!videoIn || !audioIn || !mux_->FindPin("Output") || !mux_->As<media::IMpegMultiplexer>()) return false;
    if (!AddMPEGAudioEncoder()) report_.Text("Cannot capture audio");
    if (!Graph().Connect(*capture, *videoIn)) return false;
    TPin* encoderIn = audioEncoder_ ? audioEncoder_->FindPin(PinDir::Input) : nullptr;
    TPin* encoderOut = audioEncoder_ ? audioEncoder_->FindPin(PinDir::Output) : nullptr;
    if (!audio || !encoderIn || !encoderOut || !Graph().Connect(*audio, *encoderIn) ||
        !Graph().Connect(*encoderOut, *audioIn)) {
      report_.Error(1026);
      return false;
    }
    if (auto* settings = audioEncoder_->As<media::IMpegAudioEncoder>()) {
      settings->put_BitRate(r.AudioBitRate);
      settings->put_SampleRate(r.AudioSampleRate);
      settings->put_Channels(r.AudioChannels);
    }
  }
  return AddWriter(r, kind);
}

bool TWisRecordingGraph::AddWriter(const TRecordRequest& r, int kind) {
  const bool avi = kind == kStreamMpeg4Avi;
  auto writer = Graph().Registry().Create(DeviceCategory::LegacyFilter,
                                          avi ? media::kFileWriterName : media::kMpegWriterName);
  if (!avi) {
    const auto& format = formats::RecordFormatOrDefault(stored_.RecordFormat);
    mux_->As<media::IMpegMultiplexer>()->put_OutputType(MultiplexerOutputOf(format));
  }
  if (!writer || !Graph().AddFilter(writer, "FileWriter")) {
    report_.Text("Cannot get file writer...");
    return false;
  }
  branch_.Keep(writer);
  auto* sink = writer->As<IFileSink>();
  if (!sink) {
    report_.Text("Cannot get file writer interface");
    return false;
  }
  if (!sink->SetFileName(r.File)) {
    report_.Error(1022);
    return false;
  }
  TPin* out = avi ? mux_->FindPin(PinDir::Output) : mux_->FindPin("Output");
  return out && Graph().Render(*out);
}

}  // namespace pvx::engine
