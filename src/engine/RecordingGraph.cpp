#include "engine/RecordingGraph.h"

#include <cmath>

#include "engine/CaptureDevices.h"
#include "engine/CaptureFileName.h"
#include "engine/CaptureFormats.h"
#include "engine/ChipInfo.h"
#include "engine/PreviewPipeline.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"
#include "platform/media/TRecordProfile.h"

namespace pvx::engine {

using namespace pvx::platform::graph;
namespace media = pvx::platform::media;

namespace {
// Recordings taller than this are deinterlaced in the preview.
constexpr int kDeinterlaceAbove = 300;
constexpr int kTimeShiftBitRate = 4000000;
constexpr int kTimeShiftQuality = 3;

}  // namespace

double TRecordingGraph::FrameRateOf(int code) {
  int num = 30, den = 1;
  formats::FrameRateOfCode(code, num, den);
  return double(num) / den;
}

QSize TRecordingGraph::TimeShiftCaptureSize(int standard) {
  return IsNtscLike(standard) ? QSize(320, 240) : QSize(352, 288);
}

void TRecordingGraph::ApplyCaptureFormat(const TRecordRequest& r) {
  TFilter* capture = devices_.VCapture();
  if (!capture || r.Radio) return;
  formats_.Apply(*capture, r.TimeShift ? TimeShiftCaptureSize(r.Standard)
                                       : QSize(stored_.CaptureWidth, stored_.CaptureHeight));
}

void TRecordingGraph::ApplyAudioFormat() {
  TFilter* audio = devices_.ACapture();
  if (!audio || !preview_.HasAudioCapture()) return;
  if (auto* config = audio->As<IStreamConfig>(); config && stored_.AudioMediaTypeIndex >= 0) {
    TMediaType type;
    if (config->GetStreamCaps(stored_.AudioMediaTypeIndex, type)) config->SetFormat(type);
  }
  if (auto* mixer = audio->As<IAudioInputMixer>(); mixer && stored_.AudioInputIndex >= 0)
    mixer->put_Enable(stored_.AudioInputIndex, true);
}

bool TRecordingGraph::Build(const TRecordRequest& r) {
  if (!preview_.Graph()) return false;
  Graph().Stop();
  branch_.TearDown();
  ApplyCaptureFormat(r);
  ApplyAudioFormat();
  if (preview_.HasPreviewPin() && !r.Radio) {
    const bool deinterlace = !r.TimeShift && stored_.CaptureHeight > kDeinterlaceAbove;
    preview_.RenderRecordingPreview(deinterlace);
  }
  bool built = false;
  switch (r.Kind) {
    case kStreamMpeg4Avi:
    case kStreamAvi: built = BuildAvi(r); break;
    case kStreamWav:
    case kStreamMp3: built = BuildSound(r); break;
    default: built = BuildMpeg(r); break;
  }
  if (!built) branch_.TearDown();
  return built;
}

bool TRecordingGraph::BuildMpeg(const TRecordRequest& r) {
  auto recorder = branch_.Add(media::kMpegRecorderName, "MPEG");
  auto* settings = recorder ? recorder->As<media::IMpegRecorderSettings>() : nullptr;
  if (!settings) {
    report_.Error(1018);
    return false;
  }
  bool ok = settings->SetStreamType(r.Kind == kStreamMpeg2 ? 2 : 1);
  if (r.TimeShift) {
    const int family = devices_.Chip().Family;
    const QSize size = family == 0 || family == 1 || family == 5 ? QSize(320, 240)
                                                                 : TimeShiftCaptureSize(r.Standard);
    ok = settings->SetVideoBitRate(kTimeShiftBitRate) && ok;
    ok = settings->SetQuality(kTimeShiftQuality) && ok;
    ok = settings->SetFrameSize(size.width(), size.height()) && ok;
  } else {
    ok = settings->SetVideoBitRate(stored_.VideoBitRateKbps * 1000) && ok;
    ok = settings->SetQuality(stored_.Quality) && ok;
    ok = settings->SetFrameSize(stored_.CaptureWidth, stored_.CaptureHeight) && ok;
  }
  const formats::TRecordFormatDef& format = formats::RecordFormatOrDefault(stored_.RecordFormat);
  ok = settings->SetAudioSampleRate(format.SampleRate) && ok;
  if (!r.TimeShift) {
    ok = settings->SetRecordFormat(format.Format) && ok;
    media::TRecordTags tags{r.Station, r.Channel, r.Title, QDateTime::currentDateTime()};
    ok = settings->SetEncoding(stored_.SoftwareEncoding, tags) && ok;
  }
  int code = stored_.FrameRateCode;
  if (stored_.CaptureWidth > 700 && stored_.CaptureHeight > 575 && code > 3) code = 3;
  ok = settings->SetFrameRateCode(code) && ok;
  ok = settings->SetFlags(r.TimeShift, !r.TimeShift) && ok;
  if (!ok) report_.Text("Cannot set MPEG property...", true);

  auto* sink = recorder->As<IFileSink>();
  if (!sink) {
    report_.Error(1020);
    return false;
  }
  if (!sink->SetFileName(r.File)) {
    report_.Error(1022);
    return false;
  }
  TPin* capture = preview_.CapturePin();
  if (!capture || !Graph().Render(*capture)) {
    report_.Text("Cannot render video capture...");
    return false;
  }
  TPin* audio = SoundSource(preview_);
  if (RecordsSound(preview_, stored_) && (!audio || !Graph().Render(*audio))) {
    report_.Text("Cannot render audio capture...");
    return false;
  }
  return true;
}

bool TRecordingGraph::BuildAvi(const TRecordRequest& r) {
  TRecordingBranch::FilterPtr compressor;
  if (r.Kind == kStreamMpeg4Avi) {
    // The last device carrying each codec's name; the stored choice picks one of them.
    const QString codecs[] = {"Divx", "Microsoft MPEG-4 Video Codec V3", "Microsoft MPEG-4 Video Codec V2",
                              "Microsoft MPEG-4 Video Codec V1"};
    QString found[4];
    for (const auto& m : Graph().Registry().Enumerate(DeviceCategory::VideoCompressor)) {
      for (int i = 0; i < 4; ++i) {
        if (m.FriendlyName.contains(codecs[i], Qt::CaseInsensitive)) {
          found[i] = m.FriendlyName;
          break;
        }
      }
    }
    const int choice = r.MPEG4Codec;
    if (choice >= 0 && choice < 4 && !found[choice].isEmpty())
      compressor = branch_.Add(found[choice], "MPEG4", int(DeviceCategory::VideoCompressor));
    if (!compressor) {
      report_.Error(1019);
      return false;
    }
  }
  media::TCaptureGraphBuilder builder(Graph());
  TRecordingBranch::FilterPtr mux;
  if (!builder.SetOutputFileName("AVI", r.File, &mux, nullptr)) {
    report_.Error(1020);
    return false;
  }
  branch_.Keep(mux);
  if (TFilter* writer = Graph().FindFilter(media::kFileWriterName)) branch_.Keep(Graph().SharedFilter(writer));
  TFilter* capture = devices_.VCapture();
  if (auto* config = capture ? capture->As<IStreamConfig>() : nullptr) {
    TMediaType type;
    if (config->GetFormat(type) && type.IsVideo()) {
      type.AvgTimePerFrame = std::llround(10000000.0 / FrameRateOf(stored_.FrameRateCode));
      config->SetFormat(type);
    }
  }
  TFilter* tee = preview_.SmartTee();
  bool video = false;
  if (r.Kind == kStreamAvi && tee) {
    TPin* teeCapture = tee->FindPin("Capture");
    video = teeCapture && Graph().Render(*teeCapture);
  } else if (TFilter* from = tee ? tee : capture) {
    video = builder.RenderStream(PinCategory::Capture, std::nullopt, *from, compressor.get(), mux.get());
  }
  if (!video) {
    report_.Text("Cannot render capture stream...");
    return false;
  }
  if (RecordsSound(preview_, stored_)) {
    TFilter* source = SoundSource(preview_) ? &SoundSource(preview_)->Filter() : nullptr;
    if (!source || !builder.RenderStream(PinCategory::None, MediaMajor::Audio, *source, nullptr, mux.get())) {
      report_.Text("Cannot render capture audio stream...");
      return false;
    }
  }
  return true;
}

bool TRecordingGraph::BuildSound(const TRecordRequest& r) {
  TPin* source = SoundSource(preview_);
  if (!source) {
    report_.Error(1026);
    return false;
  }
  if (r.Kind == kStreamMp3) {
    auto mp3 = branch_.Add(media::kMp3CompressorName, "MP3", int(DeviceCategory::AudioCompressor));
    TPin* in = mp3 ? mp3->FindPin(PinDir::Input) : nullptr;
    TPin* out = mp3 ? mp3->FindPin(PinDir::Output) : nullptr;
    if (!in || !out || !Graph().Connect(*source, *in)) {
      report_.Error(1027);
      return false;
    }
    if (auto* encoder = mp3->As<media::IMpegAudioEncoder>()) encoder->put_BitRate(r.AudioBitRate);
    source = out;
  }
  if (!branch_.Add(media::kWavDestName, "WaveDest")) {
    report_.Text("Cannot find wave dest filter..");
    return false;
  }
  auto writer = Graph().Registry().Create(DeviceCategory::LegacyFilter, media::kFileWriterName);
  if (!writer) {
    report_.Error(1020);
    return false;
  }
  if (!Graph().AddFilter(writer, "File Writer")) {
    report_.Text("Cannot add write file interface...");
    return false;
  }
  branch_.Keep(writer);
  auto* sink = writer->As<media::IFileSinkFilter2>();
  if (!sink) {
    report_.Error(1021);
    return false;
  }
  sink->SetMode(0);
  if (!sink->SetFileName(r.File)) {
    report_.Error(1022);
    return false;
  }
  if (!Graph().Render(*source)) {
    report_.Text("Cannot render audio capture...");
    return false;
  }
  return true;
}

}  // namespace pvx::engine
