#pragma once
// The live view for web browsers: what the program shows and plays, encoded once (H.264 + AAC)
// into fragmented MP4 that a plain <video> element plays while it downloads. Every viewer shares
// the one encoder; a viewer joins with the header and the next fragment that starts with a key
// picture. Encoding runs on a thread of its own.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>

namespace pvx::platform::media {

enum class TLivePiece {
  Header,    // ftyp and moov: what every viewer needs first
  KeyStart,  // the start of a fragment beginning with a key picture: a viewer may join here
  Start,     // the start of another fragment
  More,      // the rest of the fragment begun last
  End,       // no more: the encoder failed (Error says why)
};

class TLiveMp4Stream {
 public:
  // `output` is called on the encoding thread with the stream's bytes in order.
  using TOutput = std::function<void(const QByteArray& bytes, TLivePiece piece)>;
  explicit TLiveMp4Stream(TOutput output);
  ~TLiveMp4Stream();
  TLiveMp4Stream(const TLiveMp4Stream&) = delete;
  TLiveMp4Stream& operator=(const TLiveMp4Stream&) = delete;

  // Safe from any thread. `ptsNs` comes from one clock for pictures and sound. A picture the
  // encoder has not taken yet is replaced by the next one: a busy machine loses pictures, never
  // falls behind. Sizes may change; the stream keeps the first picture's shape.
  void PushPicture(const QImage& picture, qint64 ptsNs);
  // Interleaved signed 16-bit stereo. While none comes, the stream carries silence.
  void PushSound(const QByteArray& s16Stereo, int rate, qint64 ptsNs);

  // Why the stream stopped, or empty while it runs.
  QString Error() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pvx::platform::media
