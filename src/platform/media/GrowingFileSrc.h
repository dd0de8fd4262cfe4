#pragma once
// A GStreamer source element that reads a file which may still be growing: at its end it waits
// for more data instead of ending the stream, until the writer has stopped (a recording of
// this process that ends, or NotifyWriterStopped). With following off it is a plain file source.

#include <QString>

typedef struct _GstElement GstElement;

namespace pvx::platform::media {

// A new element (floating reference), or nullptr.
GstElement* MakeGrowingFileSrc(const char* name);
void SetGrowingFileLocation(GstElement* source, const QString& path, bool follow);
void NotifyWriterStopped(GstElement* source);
// True while the element would wait at the end of the file.
bool IsFollowingWriter(GstElement* source);

}  // namespace pvx::platform::media
