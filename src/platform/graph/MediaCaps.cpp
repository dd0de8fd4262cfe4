#include "platform/graph/MediaCaps.h"

#include <cmath>
#include <iterator>

namespace pvx::platform::graph {
namespace {

constexpr qint64 kUnitsPerSecond = 10000000;

struct FormatName {
  const char* subtype;
  const char* gst;
  int bits;
};
// RGB24 and RGB32 frames are stored blue first, as bitmaps are.
constexpr FormatName kFormats[] = {
    {"UYVY", "UYVY", 16}, {"YUY2", "YUY2", 16}, {"RGB24", "BGR", 24},
    {"RGB32", "BGRx", 32}, {"I420", "I420", 12},
};

}  // namespace

namespace {
constexpr int kCapturePcmRates[] = {48000, 44100, 32000};
}  // namespace

int CapturePcmRateCount() { return int(std::size(kCapturePcmRates)); }

bool CapturePcmType(int index, TMediaType& type) {
  if (index < 0 || index >= CapturePcmRateCount()) return false;
  type = TMediaType{};
  type.Major = MediaMajor::Audio;
  type.Subtype = "PCM";
  type.SampleRate = kCapturePcmRates[index];
  type.Channels = 2;
  type.BitsPerSample = 16;
  return true;
}

bool AcceptsCapturePcm(const TMediaType& type) {
  return type.Major == MediaMajor::Audio && type.SampleRate > 0 && type.Channels >= 1 && type.Channels <= 2;
}

QString TMediaType::Name() const {
  switch (Major) {
    case MediaMajor::Video:
      return QStringLiteral("%1 %2x%3").arg(Subtype).arg(Width).arg(Height);
    case MediaMajor::Audio:
      return QStringLiteral("%1 %2 Hz %3 ch %4 bit")
          .arg(Subtype)
          .arg(SampleRate)
          .arg(Channels)
          .arg(BitsPerSample);
    case MediaMajor::Stream:
      return Subtype;
    case MediaMajor::AnalogVideo:
      return QStringLiteral("Analog Video");
    case MediaMajor::AnalogAudio:
      return QStringLiteral("Analog Audio");
  }
  return Subtype;
}

qint64 FrameDurationOf(int num, int den) {
  if (num <= 0 || den <= 0) return 0;
  return std::llround(double(kUnitsPerSecond) * den / num);
}

void FrameRateOf(qint64 avg, int& num, int& den) {
  num = 0;
  den = 1;
  if (avg <= 0) return;
  const double fps = double(kUnitsPerSecond) / double(avg);
  for (double ntsc : {24.0, 30.0, 60.0}) {
    if (std::fabs(fps - ntsc * 1000.0 / 1001.0) < 0.005) {
      num = int(ntsc * 1000);
      den = 1001;
      return;
    }
  }
  if (std::fabs(fps - std::round(fps)) < 0.001) {
    num = int(std::lround(fps));
    return;
  }
  num = int(std::lround(fps * 1000));
  den = 1000;
}

const char* GstVideoFormatOf(const QString& subtype) {
  for (const FormatName& f : kFormats) {
    if (subtype == QLatin1String(f.subtype)) return f.gst;
  }
  return nullptr;
}

GstCaps* ToCaps(const TMediaType& type) {
  if (type.Major == MediaMajor::Video) {
    GstCaps* caps = gst_caps_new_empty_simple("video/x-raw");
    if (const char* format = GstVideoFormatOf(type.Subtype))
      gst_caps_set_simple(caps, "format", G_TYPE_STRING, format, nullptr);
    if (type.Width > 0) gst_caps_set_simple(caps, "width", G_TYPE_INT, type.Width, nullptr);
    if (type.Height > 0) gst_caps_set_simple(caps, "height", G_TYPE_INT, type.Height, nullptr);
    if (type.AvgTimePerFrame > 0) {
      int num, den;
      FrameRateOf(type.AvgTimePerFrame, num, den);
      gst_caps_set_simple(caps, "framerate", GST_TYPE_FRACTION, num, den, nullptr);
    }
    return caps;
  }
  if (type.Major == MediaMajor::Audio) {
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING,
                                        type.BitsPerSample == 8 ? "U8" : "S16LE", "layout",
                                        G_TYPE_STRING, "interleaved", nullptr);
    if (type.SampleRate > 0) gst_caps_set_simple(caps, "rate", G_TYPE_INT, type.SampleRate, nullptr);
    if (type.Channels > 0) gst_caps_set_simple(caps, "channels", G_TYPE_INT, type.Channels, nullptr);
    return caps;
  }
  return gst_caps_new_any();
}

bool FromCaps(const GstCaps* caps, TMediaType& type) {
  if (!caps || gst_caps_get_size(caps) == 0) return false;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  const QString name = QString::fromUtf8(gst_structure_get_name(s));
  if (name == "video/x-raw") {
    type = TMediaType{};
    type.Major = MediaMajor::Video;
    if (const char* format = gst_structure_get_string(s, "format")) {
      for (const FormatName& f : kFormats) {
        if (qstrcmp(format, f.gst) == 0) type.Subtype = QString::fromLatin1(f.subtype);
      }
      if (type.Subtype.isEmpty()) type.Subtype = QString::fromUtf8(format);
    }
    gst_structure_get_int(s, "width", &type.Width);
    gst_structure_get_int(s, "height", &type.Height);
    int num = 0, den = 1;
    if (gst_structure_get_fraction(s, "framerate", &num, &den)) type.AvgTimePerFrame = FrameDurationOf(num, den);
    return true;
  }
  if (name == "audio/x-raw") {
    type = TMediaType{};
    type.Major = MediaMajor::Audio;
    type.Subtype = "PCM";
    gst_structure_get_int(s, "rate", &type.SampleRate);
    gst_structure_get_int(s, "channels", &type.Channels);
    const char* format = gst_structure_get_string(s, "format");
    type.BitsPerSample = format && qstrcmp(format, "U8") == 0 ? 8 : 16;
    return true;
  }
  type = TMediaType{};
  type.Major = MediaMajor::Stream;
  type.Subtype = name;
  return true;
}

}  // namespace pvx::platform::graph
