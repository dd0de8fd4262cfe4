#pragma once
// The channel-preview grid: Dimension x Dimension thumbnails of consecutive valid channels of
// the current table, or the user's fixed cells when Customize holds.

#include <QtGlobal>
#include <array>

namespace pvx::settings {

class TChannelInfo;

struct TPreviewCell {
  quint8 Shown = 0;
  qint32 Channel = 0;
  bool operator==(const TPreviewCell&) const = default;
};

// A custom cell in the source-map layout: 0 not set, 1 antenna, 2 cable, 3 composite,
// 4 S-Video, 5 camera, and a channel number.
struct TSourceMapCell {
  quint8 Kind = 0;
  qint32 Channel = 0;
  bool operator==(const TSourceMapCell&) const = default;
};

class TPreviewInfo {
 public:
  static constexpr int kMaxDimension = 5;
  static constexpr int kMinDimension = 2;
  static constexpr qint32 kDefaultDimension = 3;
  static constexpr qint32 kDefaultInterval = 2;

  template <typename Cell>
  using TGrid = std::array<std::array<Cell, kMaxDimension>, kMaxDimension>;  // [row][column]

  explicit TPreviewInfo(const TChannelInfo& channels);
  TPreviewInfo(const TPreviewInfo&) = delete;
  TPreviewInfo& operator=(const TPreviewInfo&) = delete;

  // Cells the grid shows: Dimension squared when Customize holds, else no more than the
  // valid channels of the current table.
  int Count() const;
  // Places channel c and the valid channels after it, row by row, in the first Count cells.
  void Fill(int c);
  void SetStart(int c);
  void Refill();
  void NextPage();
  // Limited to 2..5; refills from StartChannel when it changes.
  void SetDimension(int d);
  // Both grids cleared, Dimension 3, Interval 2, Customize false.
  void Reset();

  qint32 Dimension = kDefaultDimension;
  bool Customize = false;
  qint32 StartChannel = 1;
  qint32 NextChannel = 1;
  qint32 Interval = kDefaultInterval;  // seconds per cell
  TGrid<TPreviewCell> Grid{};
  TGrid<TSourceMapCell> CustomGrid{};

  const TChannelInfo& Channels() const { return channels_; }

 private:
  const TChannelInfo& channels_;
};

}  // namespace pvx::settings
