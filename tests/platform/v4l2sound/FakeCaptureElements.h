#pragma once
// A card's capture controls as a table: switches and enumerated sources that tests set up and
// read back, with one control that can be made to refuse.

#include "platform/devices/v4l2/AlsaCapture.h"

namespace pvx::test {

class TFakeCaptureElements final : public platform::devices::v4l2::ICaptureElements {
 public:
  using TCaptureElement = platform::devices::v4l2::TCaptureElement;
  explicit TFakeCaptureElements(std::vector<TCaptureElement> elements)
      : elements_(std::move(elements)), values_(elements_.size(), 0) {}

  std::vector<TCaptureElement> Elements() const override { return elements_; }
  bool GetSwitch(int e, bool& on) const override {
    int v = 0;
    return Get(e, false, v) && ((on = v), true);
  }
  bool SetSwitch(int e, bool on) override { return Set(e, false, on); }
  bool GetItem(int e, int& item) const override { return Get(e, true, item); }
  bool SetItem(int e, int item) override { return Set(e, true, item); }

  // Every element's state: the switch (0/1) or the item chosen, "-" for neither.
  QString State() const {
    QString s;
    for (size_t i = 0; i < elements_.size(); ++i)
      s += Is(int(i), false) || Is(int(i), true) ? QString::number(values_[i]) : QString("-");
    return s;
  }

  int refusing = -1;  // the element whose writes fail

 private:
  bool Is(int e, bool source) const {
    if (e < 0 || e >= int(elements_.size())) return false;
    return source ? !elements_[size_t(e)].CaptureItems.isEmpty() : elements_[size_t(e)].CaptureSwitch;
  }
  bool Get(int e, bool source, int& v) const { return Is(e, source) && ((v = values_[size_t(e)]), true); }
  bool Set(int e, bool source, int v) {
    return Is(e, source) && e != refusing && ((values_[size_t(e)] = v), true);
  }
  std::vector<TCaptureElement> elements_;
  std::vector<int> values_;
};

}  // namespace pvx::test
