#pragma once
// What makes the virtual card's picture live, frame by frame: a box that bounces over the
// pattern, a caption scrolling along the bottom, a zone plate whose phases keep changing,
// noise that grows as the tuner drifts off the carrier, and a station's media file in place of
// the pattern. All of it runs in the source's streaming thread, right after a frame is drawn.

#include <QByteArray>
#include <memory>
#include <mutex>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;
typedef struct _GstPadProbeInfo GstPadProbeInfo;
typedef struct _GstVideoFrame GstVideoFrame;

namespace pvx::platform::devices {

class TVirtualFilePlayer;

// Set from the UI thread under Mutex; the streaming thread reads it once per frame.
struct TPictureLook {
  QByteArray Pattern = "snow";
  int Pan = 0;  // pixels the pattern scrolls per frame
  bool Zone = false;      // a zone plate in motion
  bool Box = false;       // the bouncing box
  // Top field first, and the bottom one shows the picture half a frame later.
  bool Interlaced = false;
  int Noise = 0;          // 0: clean; up to 100 at the edge of the lock window
  QByteArray Ticker;      // scrolling caption; empty for none
  QByteArray FilePath;    // broadcast this file instead of the pattern
  QByteArray FileName;    // as the stations file names it, for the caption
};

class TPictureAnimator {
 public:
  // Animates the frames of `source` (a videotestsrc drawing I420) and scrolls the caption of
  // `ticker` (the textoverlay right after it). The probes share the animator with the caller.
  static std::shared_ptr<TPictureAnimator> Attach(GstElement* source, GstElement* ticker);
  ~TPictureAnimator();

  // Takes effect from the next frame while streaming, else at once.
  void SetLook(const TPictureLook& look);
  // Lets the file go once the source has stopped streaming; the next run starts it over.
  void Rest() { player_.reset(); }
  // The caption shown now (for tests and the OSD of a file that cannot play).
  QByteArray Caption() const;

 private:
  TPictureAnimator(GstElement* source, GstElement* ticker);
  static int OnFrame(GstPad* pad, GstPadProbeInfo* info, void* self);
  void ScrollCaption(GstPad* pad, GstPadProbeInfo* info);
  void ApplyPattern(const TPictureLook& look);
  void Animate(GstPad* pad, GstPadProbeInfo* info, const TPictureLook& look);
  // True when the file's picture replaced the frame; `failed` when the file cannot play.
  bool ShowFile(GstVideoFrame& frame, const TPictureLook& look, bool& failed);
  void AddNoise(GstVideoFrame& frame, int level);
  // Shows the picture half a frame on in the bottom field's luma: `right` and `down` pixels on.
  void LaterBottomField(GstVideoFrame& frame, int right, int down);
  void MoveZone(bool interlaced, int width, int height);
  void DrawBox(GstVideoFrame& frame, bool interlaced);
  void ShowCaption(const TPictureLook& look, bool failed, bool showsFile);

  GstElement* source_;
  GstElement* ticker_;
  mutable std::mutex mutex_;
  TPictureLook look_;
  bool pending_ = false;
  QByteArray caption_;
  // Streaming thread only.
  quint64 frame_ = 0;
  bool interlaced_ = false;
  std::vector<quint8> row_;
  quint32 seed_ = 0x9e3779b9u;
  int noiseLevel_ = -1;
  std::vector<qint16> noise_;
  std::shared_ptr<TVirtualFilePlayer> player_;
  int playerWidth_ = 0, playerHeight_ = 0;
  QByteArray shownCaption_;
};

}  // namespace pvx::platform::devices
