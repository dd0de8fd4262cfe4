#include "platform/media/GrowingFileSrc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gst/base/gstbasesrc.h>

#include <QFile>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/graph/GstPtr.h"
#include "platform/media/WrittenFiles.h"

namespace pvx::platform::media {
namespace {

constexpr guint kBlockSize = 64 * 1024;
constexpr auto kPollInterval = std::chrono::milliseconds(40);

// C++ state beside the GObject instance, which GLib allocates without constructors.
struct GrowingState {
  std::mutex mutex;
  std::condition_variable wake;
  QString path;
  bool follow = true;
  bool flushing = false;
  bool writerStopped = false;
  bool sawWriter = false;
  int fd = -1;
};

struct PvxGrowingSrc {
  GstBaseSrc parent;
  GrowingState* state;
};
struct PvxGrowingSrcClass {
  GstBaseSrcClass parent_class;
};

GType pvx_growing_src_get_type();
#define PVX_GROWING_SRC(obj) (reinterpret_cast<PvxGrowingSrc*>(obj))

G_DEFINE_TYPE(PvxGrowingSrc, pvx_growing_src, GST_TYPE_BASE_SRC)

GstStaticPadTemplate kSrcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);

// Whether waiting at the end is over: told so, or our own recording of the file has ended.
bool WriterGone(GrowingState& s) {
  if (s.writerStopped || !s.follow) return true;
  if (IsBeingWritten(s.path)) {
    s.sawWriter = true;
    return false;
  }
  return s.sawWriter;
}

gboolean Start(GstBaseSrc* base) {
  GrowingState& s = *PVX_GROWING_SRC(base)->state;
  std::lock_guard lock(s.mutex);
  const QByteArray name = QFile::encodeName(s.path);
  s.fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (s.fd < 0) {
    GST_ELEMENT_ERROR(base, RESOURCE, OPEN_READ, ("Cannot open %s", name.constData()),
                      ("%s", g_strerror(errno)));
    return FALSE;
  }
  s.flushing = false;
  return TRUE;
}

gboolean Stop(GstBaseSrc* base) {
  GrowingState& s = *PVX_GROWING_SRC(base)->state;
  std::lock_guard lock(s.mutex);
  if (s.fd >= 0) ::close(s.fd);
  s.fd = -1;
  return TRUE;
}

gboolean GetSize(GstBaseSrc* base, guint64* size) {
  GrowingState& s = *PVX_GROWING_SRC(base)->state;
  std::lock_guard lock(s.mutex);
  struct stat st {};
  // While it grows the length is not known: the stream ends only when the writer stops.
  if (s.fd < 0 || !WriterGone(s) || fstat(s.fd, &st) != 0) return FALSE;
  *size = guint64(st.st_size);
  return TRUE;
}

gboolean IsSeekable(GstBaseSrc*) { return TRUE; }

gboolean Query(GstBaseSrc* base, GstQuery* query) {
  if (GST_QUERY_TYPE(query) == GST_QUERY_SCHEDULING) {
    // Pushed in order only: a pulling reader would look for the end of a file that has none.
    gst_query_set_scheduling(query, GST_SCHEDULING_FLAG_SEEKABLE, 1, -1, 0);
    gst_query_add_scheduling_mode(query, GST_PAD_MODE_PUSH);
    return TRUE;
  }
  return GST_BASE_SRC_CLASS(pvx_growing_src_parent_class)->query(base, query);
}

gboolean Unlock(GstBaseSrc* base) {
  GrowingState& s = *PVX_GROWING_SRC(base)->state;
  std::lock_guard lock(s.mutex);
  s.flushing = true;
  s.wake.notify_all();
  return TRUE;
}

gboolean UnlockStop(GstBaseSrc* base) {
  GrowingState& s = *PVX_GROWING_SRC(base)->state;
  std::lock_guard lock(s.mutex);
  s.flushing = false;
  return TRUE;
}

GstFlowReturn Fill(GstBaseSrc* base, guint64 offset, guint size, GstBuffer* buffer) {
  GrowingState& s = *PVX_GROWING_SRC(base)->state;
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) return GST_FLOW_ERROR;
  std::unique_lock lock(s.mutex);
  bool lastLook = false;
  for (;;) {
    const ssize_t n = ::pread(s.fd, map.data, size, off_t(offset));
    if (n > 0) {
      gst_buffer_unmap(buffer, &map);
      gst_buffer_set_size(buffer, n);
      GST_BUFFER_OFFSET(buffer) = offset;
      GST_BUFFER_OFFSET_END(buffer) = offset + guint64(n);
      return GST_FLOW_OK;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || lastLook) break;
    // At the end: once the writer is gone, one more read takes what it wrote last.
    if (WriterGone(s)) {
      lastLook = true;
      continue;
    }
    s.wake.wait_for(lock, kPollInterval, [&] { return s.flushing || s.writerStopped; });
    if (s.flushing) {
      gst_buffer_unmap(buffer, &map);
      return GST_FLOW_FLUSHING;
    }
  }
  gst_buffer_unmap(buffer, &map);
  return GST_FLOW_EOS;
}

void Finalize(GObject* object) {
  delete PVX_GROWING_SRC(object)->state;
  G_OBJECT_CLASS(pvx_growing_src_parent_class)->finalize(object);
}

void pvx_growing_src_class_init(PvxGrowingSrcClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = Finalize;
  GstElementClass* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kSrcTemplate);
  gst_element_class_set_static_metadata(element, "Growing file source", "Source/File",
                                        "Reads a file that is still being written", "OKA PVX");
  GstBaseSrcClass* base = GST_BASE_SRC_CLASS(klass);
  base->start = Start;
  base->stop = Stop;
  base->get_size = GetSize;
  base->is_seekable = IsSeekable;
  base->query = Query;
  base->unlock = Unlock;
  base->unlock_stop = UnlockStop;
  base->fill = Fill;
}

void pvx_growing_src_init(PvxGrowingSrc* self) {
  self->state = new GrowingState;
  gst_base_src_set_blocksize(GST_BASE_SRC(self), kBlockSize);
}

GrowingState* StateOf(GstElement* element) {
  return element && G_TYPE_CHECK_INSTANCE_TYPE(element, pvx_growing_src_get_type())
             ? PVX_GROWING_SRC(element)->state
             : nullptr;
}

}  // namespace

GstElement* MakeGrowingFileSrc(const char* name) {
  if (!graph::EnsureGstreamer()) return nullptr;
  return GST_ELEMENT(g_object_new(pvx_growing_src_get_type(), "name", name, nullptr));
}

void SetGrowingFileLocation(GstElement* source, const QString& path, bool follow) {
  if (GrowingState* s = StateOf(source)) {
    std::lock_guard lock(s->mutex);
    s->path = path;
    s->follow = follow;
    s->writerStopped = false;
    s->sawWriter = false;
  }
}

void NotifyWriterStopped(GstElement* source) {
  if (GrowingState* s = StateOf(source)) {
    std::lock_guard lock(s->mutex);
    s->writerStopped = true;
    s->wake.notify_all();
  }
}

bool IsFollowingWriter(GstElement* source) {
  GrowingState* s = StateOf(source);
  if (!s) return false;
  std::lock_guard lock(s->mutex);
  return !WriterGone(*s);
}

}  // namespace pvx::platform::media
