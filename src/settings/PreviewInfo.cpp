#include "settings/PreviewInfo.h"

#include <algorithm>

#include "settings/ChannelInfo.h"

namespace pvx::settings {

TPreviewInfo::TPreviewInfo(const TChannelInfo& channels) : channels_(channels) {}

int TPreviewInfo::Count() const {
  const int cells = Dimension * Dimension;
  return Customize ? cells : std::min(cells, channels_.ValidCount());
}

void TPreviewInfo::Fill(int c) {
  const int count = Count();
  // Dimension is a public field; the loops never leave the 5 x 5 grid.
  const int side = std::clamp<int>(Dimension, 0, kMaxDimension);
  int placed = 0;
  for (int row = 0; row < side && placed < count; ++row) {
    for (int column = 0; column < side && placed < count; ++column) {
      Grid[size_t(row)][size_t(column)] = {1, c};
      c = channels_.NextValid(c);
      ++placed;
    }
  }
  NextChannel = c;
}

void TPreviewInfo::SetStart(int c) {
  if (!Customize) StartChannel = c;
}

void TPreviewInfo::Refill() {
  if (!Customize) Fill(StartChannel);
}

void TPreviewInfo::NextPage() {
  SetStart(NextChannel);
  Refill();
}

void TPreviewInfo::SetDimension(int d) {
  if (d == Dimension) return;
  Dimension = std::clamp(d, kMinDimension, kMaxDimension);
  Fill(StartChannel);
}

void TPreviewInfo::Reset() {
  Grid = {};
  CustomGrid = {};
  Dimension = kDefaultDimension;
  Interval = kDefaultInterval;
  Customize = false;
}

}  // namespace pvx::settings
