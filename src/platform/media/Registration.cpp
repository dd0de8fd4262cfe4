#include "platform/media/Registration.h"

#include "platform/components/ComponentSupport.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/media/TAviMux.h"
#include "platform/media/TCompressors.h"
#include "platform/media/TFileSource.h"
#include "platform/media/TFileWriter.h"
#include "platform/media/TMediaSplitter.h"
#include "platform/media/TMpegMultiplexer.h"
#include "platform/media/TMpegRecorder.h"
#include "platform/media/TWavDest.h"
#include "platform/media/TimeShiftParts.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace pvx::platform::media {

using graph::DeviceCategory;
using components::MakeComponent;

namespace {

struct VideoCodecName {
  const char* name;
  VideoCodec codec;
  const char* encoder;
  const char* tag;
};
// There is no encoder for Microsoft's first MPEG-4 version, so that name is not offered.
constexpr VideoCodecName kVideoCodecs[] = {
    {kDivxName, VideoCodec::Mpeg4, "mpeg4", "DIVX"},
    {kMsMpeg4V3Name, VideoCodec::MsMpeg4V3, "msmpeg4", "MP43"},
    {kMsMpeg4V2Name, VideoCodec::MsMpeg4V2, "msmpeg4v2", "MP42"},
};

}  // namespace

void RegisterRecorderComponents(graph::TComponentRegistry& registry) {
  const auto legacy = DeviceCategory::LegacyFilter;
  registry.Register(legacy, kMpegRecorderName, [] { return MakeComponent<TMpegRecorder>(); });
  registry.Register(legacy, kAviMuxName, [] { return MakeComponent<TAviMux>(); });
  registry.Register(legacy, kFileWriterName,
                    [] { return MakeComponent<TFileWriter>(kFileWriterName, "in"); });
  registry.Register(legacy, kWavDestName, [] { return MakeComponent<TWavDest>(); });
  registry.Register(legacy, kMpegMultiplexerName, [] { return MakeComponent<TMpegMultiplexer>(); });
  registry.Register(legacy, kMpegWriterName,
                    [] { return MakeComponent<TFileWriter>(kMpegWriterName, "Input"); });
  registry.Register(legacy, kMpegAudioEncoderName, [] {
    return MakeComponent<TAudioCompressor>(
        kMpegAudioEncoderName, TAudioCodecChoice{AudioCodec::Mp2, 224000, 48000, 2});
  });
  for (const VideoCodecName& c : kVideoCodecs) {
    if (!avcodec_find_encoder_by_name(c.encoder)) continue;
    registry.Register(DeviceCategory::VideoCompressor, c.name, [c] {
      return MakeComponent<TVideoCompressor>(c.name, c.codec, QByteArray(c.tag));
    });
  }
  // Playback.
  registry.Register(legacy, kTimeShiftSplitterName, [] { return MakeComponent<TTimeShiftSplitter>(); });
  registry.Register(legacy, kMpegAudioDecoderName, [] { return MakeComponent<TMpegAudioDecoder>(); });
  registry.Register(legacy, kSingleFileSourceName,
                    [] { return MakeComponent<TFileSource>(FileSourceKind::SingleFile); });
  registry.Register(legacy, kGrowingFileSourceName,
                    [] { return MakeComponent<TFileSource>(FileSourceKind::Growing); });
  registry.Register(legacy, kStoredFileSourceName,
                    [] { return MakeComponent<TFileSource>(FileSourceKind::Stored); });
  registry.Register(DeviceCategory::Decoder, kMediaSplitterName,
                    [] { return MakeComponent<TMediaSplitter>(); });
  if (avcodec_find_encoder_by_name("libmp3lame")) {
    registry.Register(DeviceCategory::AudioCompressor, kMp3CompressorName, [] {
      return MakeComponent<TAudioCompressor>(kMp3CompressorName,
                                             TAudioCodecChoice{AudioCodec::Mp3, 224000, 0, 2});
    });
  }
}

}  // namespace pvx::platform::media
