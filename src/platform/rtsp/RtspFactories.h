#pragma once
// The media factories behind the server's mount points.

#include <QString>

typedef struct _GstRTSPMediaFactory GstRTSPMediaFactory;

namespace pvx::platform::rtsp {

// The element names the streams need and this system lacks, comma-separated; empty when all
// are present.
QString MissingElements();

// The live view: appsrcs "vsrc" (pictures) and "asrc" (sound) into one H.264 + AAC encoder that
// every client shares, whatever URL spelling it used. A new reference.
GstRTSPMediaFactory* NewLiveFactory();

// The kinds of stream a file has; neither when it cannot be played.
struct FileStreams {
  bool video = false;  // pictures that move: cover art does not count
  bool audio = false;
};
FileStreams ProbeFile(const QString& path);

// One file, decoded and re-encoded to H.264 + AAC for each client, a stream for each kind it
// has. A new reference.
GstRTSPMediaFactory* NewFileFactory(const QString& path, const FileStreams& streams);

}  // namespace pvx::platform::rtsp
