#pragma once
// The recording figures over the picture: a red dot, "REC" (or "Time-Shifting"), the elapsed
// time and the size written so far, so a person sees that a recording runs and grows.

#include <QWidget>

namespace pvx::app {

class TRecordingBadge final : public QWidget {
 public:
  explicit TRecordingBadge(QWidget* parent);

  // One progress report: elapsed seconds and the bytes on disk.
  void SetProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes);
  // A player's position: "Play 0:01:02 / 0:03:00", or "Pause ..." while it holds.
  void SetPlaying(qint64 currentSeconds, qint64 totalSeconds, bool paused = false);
  // Only a player's position changes with it.
  void SetPaused(bool paused);
  QString Text() const;

  // "1:02:03" from seconds.
  static QString ElapsedText(qint64 seconds);
  // "12.50 MB" from bytes (decimal megabytes, as recorders count them).
  static QString SizeText(qint64 bytes);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Fit();

  enum class Kind { Recording, TimeShift, Playing } kind_ = Kind::Recording;
  qint64 elapsed_ = 0;
  qint64 bytes_ = 0;  // or, playing, the length in seconds
  bool paused_ = false;
};

}  // namespace pvx::app
