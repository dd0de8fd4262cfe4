#pragma once
// FM seek: steps through the band from the tuned frequency until a station locks, wrapping
// once at the band's end, and goes back to where it began when the band is empty.

#include <QtGlobal>

namespace pvx::engine {

class TCaptureInfo;

class TFMSeek {
 public:
  // The FM channel raster. Every broadcast sits on it, and the lock rule holds only within one
  // PLL step (62.5 kHz) of a carrier, so no station can fall between two 100 kHz points;
  // the 50 kHz frequency step would only double the tunings of a sweep.
  static constexpr qint64 kStep = 100000;

  enum class TResult { Found, NothingFound, Aborted, Refused };

  explicit TFMSeek(TCaptureInfo& engine) : engine_(engine) {}

  // Tunes raster points upward or downward from the current FM frequency, each with the
  // engine's full FM tuning (its waits included); stops at the first locked one.
  TResult Run(bool up);
  // Ends a running seek after the tuning in progress; the seek stays where it is.
  void Abort() { aborted_ = true; }
  bool Aborted() const { return aborted_; }
  // Frequencies tuned by the last Run, the way back to the start included.
  int Tunings() const { return tunings_; }

  // The first raster point after `hertz` in the seek's direction.
  static qint64 NextRasterPoint(qint64 hertz, bool up);

 private:
  bool Tune(qint64 hertz);

  TCaptureInfo& engine_;
  bool aborted_ = false;
  int tunings_ = 0;
};

}  // namespace pvx::engine
