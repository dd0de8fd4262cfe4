#pragma once
// A card's capture controls as a table: switches and enumerated sources the tests set up and
// read back, with a control that can be made to refuse.

#include "platform/devices/v4l2/AlsaCapture.h"

namespace pvx::test {

class TFakeCaptureElements final : public platform::devices::v4l2::ICaptureElements {
 public:
  using TCaptureElement = platform::devices::v4l2::TCaptureElement;
  explicit TFakeCaptureElements(std::vector<TCaptureElement> elements)
      : elements_(std::move(elements)), on_(elements_.size(), false), item_(elements_.size(), 0) {}

  std::vector<TCaptureElement> Elements() const override { return elements_; }
  bool GetSwitch(int e, bool& on) const override {
    if (!Has(e) || !elements_[size_t(e)].CaptureSwitch) return false;
    on = on_[size_t(e)];
    return true;
  }
  bool SetSwitch(int e, bool on) override {
    if (!Has(e) || !elements_[size_t(e)].CaptureSwitch || e == refusing) return false;
    on_[size_t(e)] = on;
    return true;
  }
  bool GetItem(int e, int& item) const override {
    if (!Has(e) || elements_[size_t(e)].CaptureItems.isEmpty()) return false;
    item = item_[size_t(e)];
    return true;
  }
  bool SetItem(int e, int item) override {
    if (!Has(e) || elements_[size_t(e)].CaptureItems.isEmpty() || e == refusing) return false;
    item_[size_t(e)] = item;
    return true;
  }

  // The state of every element: "1"/"0" for a switch, the item for a source, "-" otherwise.
  QString State() const {
    QString s;
    for (size_t i = 0; i < elements_.size(); ++i) {
      if (!elements_[i].CaptureItems.isEmpty()) s += QString::number(item_[i]);
      else if (elements_[i].CaptureSwitch) s += on_[i] ? "1" : "0";
      else s += "-";
    }
    return s;
  }

  int refusing = -1;  // the element whose writes fail

 private:
  bool Has(int e) const { return e >= 0 && e < int(elements_.size()); }
  std::vector<TCaptureElement> elements_;
  std::vector<bool> on_;
  std::vector<int> item_;
};

}  // namespace pvx::test
