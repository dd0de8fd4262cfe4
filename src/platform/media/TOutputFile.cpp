#include "platform/media/TOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "platform/media/FfmpegSupport.h"

namespace pvx::platform::media {
namespace {

constexpr int kIoBufferSize = 64 * 1024;
// Held back at most this much even between packets (a huge uncompressed frame).
constexpr size_t kMaxPending = 64 * 1024 * 1024;

}  // namespace

TOutputFile::~TOutputFile() { Close(); }

bool TOutputFile::Open(const QString& path) {
  Close();
  const QByteArray name = QFile::encodeName(path);
  fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  io_ = buffer ? avio_alloc_context(buffer, kIoBufferSize, 1, this, nullptr, &WritePacket, &Seek)
               : nullptr;
  if (!io_) {
    av_free(buffer);
    Close();
    return false;
  }
  failed_ = false;
  return true;
}

int TOutputFile::WritePacket(void* self, uint8_t* data, int size) {
  auto* file = static_cast<TOutputFile*>(self);
  file->pending_.insert(file->pending_.end(), data, data + size);
  if (file->pending_.size() > kMaxPending && !file->WritePending()) return AVERROR(EIO);
  return size;
}

int64_t TOutputFile::Seek(void* self, int64_t offset, int whence) {
  auto* file = static_cast<TOutputFile*>(self);
  // A seek rewrites what is already there (headers, sizes): everything before it goes first.
  if (!file->WritePending()) return AVERROR(EIO);
  if (whence & AVSEEK_SIZE) {
    struct stat st {};
    return fstat(file->fd_, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
  }
  const off_t at = lseek(file->fd_, off_t(offset), whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(errno) : int64_t(at);
}

bool TOutputFile::WritePending() {
  size_t done = 0;
  while (done < pending_.size()) {
    const ssize_t n = ::write(fd_, pending_.data() + done, pending_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    done += size_t(n);
  }
  pending_.clear();
  return !failed_;
}

bool TOutputFile::Commit() {
  if (!io_) return false;
  avio_flush(io_);
  return WritePending() && !io_->error;
}

bool TOutputFile::Close() {
  bool ok = !failed_;
  if (io_) {
    ok = Commit() && ok;
    av_freep(&io_->buffer);
    avio_context_free(&io_);
  }
  if (fd_ >= 0) {
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
  }
  return ok;
}

}  // namespace pvx::platform::media
