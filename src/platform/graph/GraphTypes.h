#pragma once
// Vocabulary of the graph facade: pin directions and categories, media types, physical
// connectors, device categories.

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace pvx::platform::graph {

enum class PinDir { Input, Output };

enum class PinCategory {
  None,
  Capture,
  Preview,
  VBI,
  AnalogVideoIn,  // the capture device's input from the crossbar
};

// What flows through a pin. Device pins between the card's parts carry analogue signal only:
// they are connected inside the device model and carry no GStreamer data.
enum class MediaMajor { AnalogVideo, AnalogAudio, Video, Audio, Stream };

struct TMediaType {
  MediaMajor Major = MediaMajor::Video;
  // Video: "UYVY", "YUY2", "RGB24", "RGB32", "I420"; audio: "PCM"; stream: "MPEG1", "MPEG2" ...
  QString Subtype;
  int Width = 0;
  int Height = 0;
  // Frame duration in 100-ns units, as capture formats state it (333667 for 29.97 fps).
  qint64 AvgTimePerFrame = 0;
  int SampleRate = 0;
  int Channels = 0;
  int BitsPerSample = 0;

  bool IsVideo() const { return Major == MediaMajor::Video; }
  bool IsAudio() const { return Major == MediaMajor::Audio; }
  // A display name such as "YUY2 640x480" or "PCM 48000 Hz 2 ch 16 bit".
  QString Name() const;
  bool operator==(const TMediaType&) const = default;
};

// The sound a capture device offers: 16-bit stereo PCM at the n-th of its rates (48, 44.1 and
// 32 kHz), and whether a format asked of it is one it can deliver.
int CapturePcmRateCount();
bool CapturePcmType(int index, TMediaType& type);
bool AcceptsCapturePcm(const TMediaType& type);

// Physical connector types of crossbar pins.
enum PhysicalConnector : int {
  PhysConn_Video_Tuner = 1,
  PhysConn_Video_Composite = 2,
  PhysConn_Video_SVideo = 3,
  PhysConn_Video_RGB = 4,
  PhysConn_Video_YRYBY = 5,
  PhysConn_Video_SerialDigital = 6,
  PhysConn_Video_ParallelDigital = 7,
  PhysConn_Video_SCSI = 8,
  PhysConn_Video_AUX = 9,
  PhysConn_Video_1394 = 10,
  PhysConn_Video_USB = 11,
  PhysConn_Video_VideoDecoder = 12,
  PhysConn_Video_VideoEncoder = 13,
  PhysConn_Video_SCART = 14,
  PhysConn_Audio_Tuner = 0x1000,
  PhysConn_Audio_Line = 0x1001,
  PhysConn_Audio_Mic = 0x1002,
  PhysConn_Audio_AESDigital = 0x1003,
  PhysConn_Audio_SPDIFDigital = 0x1004,
  PhysConn_Audio_SCSI = 0x1005,
  PhysConn_Audio_AUX = 0x1006,
  PhysConn_Audio_1394 = 0x1007,
  PhysConn_Audio_USB = 0x1008,
  PhysConn_Audio_AudioDecoder = 0x1009,
};

// Where components are enumerated from.
enum class DeviceCategory {
  VideoInputDevice,
  Crossbar,
  TVTuner,
  TVAudio,
  AudioInputDevice,
  LegacyFilter,      // ordinary filters found by friendly name
  VideoCompressor,
  AudioCompressor,
  VendorObject,      // driver objects found by class identifier
  Decoder,           // splitters and decoders Render puts in front of encoded media
};

}  // namespace pvx::platform::graph
