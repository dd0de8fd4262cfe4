#pragma once
// The file under a muxer. Bytes the muxer writes are held back and reach the disk only when the
// muxer has finished a packet (Commit), so that a process killed at any moment leaves a file
// ending on a whole pack, chunk or frame, never half of one.

#include <QString>
#include <cstdint>
#include <vector>

struct AVIOContext;

namespace pvx::platform::media {

class TOutputFile {
 public:
  ~TOutputFile();

  bool Open(const QString& path);
  AVIOContext* Io() const { return io_; }
  // Writes what the muxer has handed over so far.
  bool Commit();
  bool Close();
  size_t Pending() const { return pending_.size(); }

 private:
  static int WritePacket(void* self, uint8_t* data, int size);
  static int64_t Seek(void* self, int64_t offset, int whence);
  bool WritePending();

  int fd_ = -1;
  AVIOContext* io_ = nullptr;
  std::vector<uint8_t> pending_;
  bool failed_ = false;
};

}  // namespace pvx::platform::media
