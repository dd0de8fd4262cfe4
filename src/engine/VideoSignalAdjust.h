#pragma once
// The capture device's colour controls, and the mapping between the user's percentage levels
// and the device's ranges.

#include <QtGlobal>
#include <array>
#include <cstddef>
#include <functional>

namespace pvx::platform::graph {
class TFilter;
class IVideoProcAmp;
}  // namespace pvx::platform::graph

namespace pvx::engine {

// Percent per property (brightness .. sharpness), -1 the device's default.
using TColourLevels = std::array<qint32, 5>;

// Where the levels are kept between previews: the engine reads them when a preview starts and
// writes the device's values back when the settings dialog's OK takes them.
struct TColourLevelStore {
  std::function<TColourLevels()> Read;
  std::function<void(const TColourLevels&)> Write;
};

struct TProcAmpRange {
  int Min = 0, Max = 0, Step = 0, Default = 0, Flags = 0;
};

// What the settings dialog's colour page does to the picture while it is open: properties
// 0 brightness, 1 contrast, 2 hue, 3 saturation, 4 sharpness.
class IColourControls {
 public:
  virtual ~IColourControls() = default;
  virtual int Value(int property) const = 0;
  virtual bool SetValue(int property, int value) = 0;
  virtual const TProcAmpRange& Range(int property) const = 0;
  // The device's values become the stored levels the next preview starts with.
  virtual void StoreLevels() = 0;
};

class TVideoSignalAdjust final : public IColourControls {
 public:
  // `store`: where the percentages are kept (-1 the device default); none leaves the device's own.
  explicit TVideoSignalAdjust(TColourLevelStore store = {}) : store_(std::move(store)) {}

  // Keeps the filter and reads the five ranges; false without colour controls.
  bool Init(platform::graph::TFilter& captureFilter);

  int GetBrightness() const { return Get(0); }
  int GetContrast() const { return Get(1); }
  int GetHue() const { return Get(2); }
  int GetSaturation() const { return Get(3); }
  int GetSharpness() const { return Get(4); }
  bool SetBrightness(int value) { return Set(0, value); }
  bool SetContrast(int value) { return Set(1, value); }
  bool SetHue(int value) { return Set(2, value); }
  bool SetSaturation(int value) { return Set(3, value); }
  bool SetSharpness(int value) { return Set(4, value); }

  // Sets the device from the stored levels (-1 or out of 0..100: the device default).
  void ApplyLevels();
  // Turns the device's values back into the stored levels.
  void StoreLevels() override;

  int Value(int property) const override { return Get(property); }
  bool SetValue(int property, int value) override { return Set(property, value); }
  const TProcAmpRange& Range(int property) const override { return ranges_[std::size_t(property)]; }

  // The mapping, for one property with range [min, max].
  static int LevelToValue(int level, const TProcAmpRange& range);
  static int ValueToLevel(int property, int value, const TProcAmpRange& range);

 private:
  int Get(int property) const;
  bool Set(int property, int value);

  TColourLevelStore store_;
  platform::graph::IVideoProcAmp* procAmp_ = nullptr;
  std::array<TProcAmpRange, 5> ranges_{};
};

}  // namespace pvx::engine
