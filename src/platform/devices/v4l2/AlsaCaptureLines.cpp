#include <alsa/asoundlib.h>

#include <QLoggingCategory>
#include <algorithm>

#include "platform/devices/v4l2/AlsaCapture.h"

namespace {
Q_LOGGING_CATEGORY(lcAlsaCapture, "pvx.v4l2.sound")
}

namespace pvx::platform::devices::v4l2 {

TCaptureLines::TCaptureLines(ICaptureElements& elements) : elements_(elements) {
  const std::vector<TCaptureElement> all = elements.Elements();
  for (size_t i = 0; i < all.size(); ++i) {
    const TCaptureElement& e = all[i];
    if (e.CaptureSwitch && e.Index == 0 && e.Name.compare("Capture", Qt::CaseInsensitive) == 0)
      master_ = int(i);
  }
  const auto source = std::find_if(all.begin(), all.end(),
                                   [](const TCaptureElement& e) { return !e.CaptureItems.isEmpty(); });
  if (source != all.end()) {
    // An enumerated source says it all; the switches are then only mutes.
    for (int item = 0; item < source->CaptureItems.size(); ++item)
      lines_.push_back({int(source - all.begin()), item, source->CaptureItems[item]});
  } else {
    for (size_t i = 0; i < all.size(); ++i) {
      const TCaptureElement& e = all[i];
      if (!e.CaptureSwitch || int(i) == master_) continue;
      lines_.push_back({int(i), -1, e.Index ? QStringLiteral("%1 %2").arg(e.Name).arg(e.Index) : e.Name});
    }
  }
  if (lines_.empty() && master_ >= 0) {
    // A card whose only control is the capture switch still has one line: its input.
    lines_.push_back({master_, -1, all[size_t(master_)].Name});
    master_ = -1;
  }
}

QStringList TCaptureLines::Names() const {
  QStringList names;
  for (const TLine& line : lines_) names << line.Name;
  return names;
}

bool TCaptureLines::Select(int line) {
  if (line < 0 || line >= int(lines_.size())) return false;
  const TLine& chosen = lines_[size_t(line)];
  if (master_ >= 0 && !elements_.SetSwitch(master_, true)) return false;
  if (chosen.Item >= 0) return elements_.SetItem(chosen.Element, chosen.Item);
  if (!elements_.SetSwitch(chosen.Element, true)) return false;
  bool ok = true;
  for (const TLine& other : lines_)
    if (other.Element != chosen.Element) ok = elements_.SetSwitch(other.Element, false) && ok;
  return ok;
}

int TCaptureLines::Selected() const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TLine& line = lines_[i];
    if (line.Item >= 0) {
      int item = -1;
      if (elements_.GetItem(line.Element, item) && item == line.Item) return int(i);
      continue;
    }
    bool on = false;
    if (elements_.GetSwitch(line.Element, on) && on) return int(i);
  }
  return -1;
}

namespace {

// A card's simple mixer. Elements are found by name and index on every call, so one that went
// away with the card is never touched.
class TAlsaCaptureElements final : public ICaptureElements {
 public:
  explicit TAlsaCaptureElements(snd_mixer_t* handle) : handle_(handle) {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(handle_); e; e = snd_mixer_elem_next(e)) {
      if (snd_mixer_elem_get_type(e) != SND_MIXER_ELEM_SIMPLE) continue;
      TCaptureElement caps;
      caps.Name = QString::fromUtf8(snd_mixer_selem_get_name(e));
      caps.Index = snd_mixer_selem_get_index(e);
      caps.CaptureSwitch = snd_mixer_selem_has_capture_switch(e);
      if (snd_mixer_selem_is_enum_capture(e)) {
        const int count = snd_mixer_selem_get_enum_items(e);
        for (int i = 0; i < count; ++i) {
          char name[64] = {};
          if (snd_mixer_selem_get_enum_item_name(e, unsigned(i), sizeof name, name) < 0) break;
          caps.CaptureItems << QString::fromUtf8(name);
        }
      }
      elements_.push_back(caps);
    }
  }
  ~TAlsaCaptureElements() override { snd_mixer_close(handle_); }

  std::vector<TCaptureElement> Elements() const override { return elements_; }

  bool GetSwitch(int element, bool& on) const override {
    snd_mixer_elem_t* e = Find(element);
    int value = 0;
    if (!e || snd_mixer_selem_get_capture_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0)
      return false;
    on = value != 0;
    return true;
  }
  bool SetSwitch(int element, bool on) override {
    snd_mixer_elem_t* e = Find(element);
    return e && snd_mixer_selem_set_capture_switch_all(e, on ? 1 : 0) >= 0;
  }
  bool GetItem(int element, int& item) const override {
    snd_mixer_elem_t* e = Find(element);
    unsigned value = 0;
    if (!e || snd_mixer_selem_get_enum_item(e, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0) return false;
    item = int(value);
    return true;
  }
  bool SetItem(int element, int item) override {
    snd_mixer_elem_t* e = Find(element);
    if (!e || snd_mixer_selem_set_enum_item(e, SND_MIXER_SCHN_FRONT_LEFT, unsigned(item)) < 0)
      return false;
    // Stereo sources keep both sides on the same input; a mono one refuses the right side.
    snd_mixer_selem_set_enum_item(e, SND_MIXER_SCHN_FRONT_RIGHT, unsigned(item));
    return true;
  }

 private:
  snd_mixer_elem_t* Find(int element) const {
    if (element < 0 || element >= int(elements_.size())) return nullptr;
    snd_mixer_handle_events(handle_);  // take in removals before looking
    snd_mixer_selem_id_t* id = nullptr;
    if (snd_mixer_selem_id_malloc(&id) < 0) return nullptr;
    snd_mixer_selem_id_set_name(id, elements_[size_t(element)].Name.toUtf8().constData());
    snd_mixer_selem_id_set_index(id, elements_[size_t(element)].Index);
    snd_mixer_elem_t* e = snd_mixer_find_selem(handle_, id);
    snd_mixer_selem_id_free(id);
    return e;
  }

  snd_mixer_t* handle_;
  std::vector<TCaptureElement> elements_;
};

}  // namespace

std::unique_ptr<ICaptureElements> OpenCardCaptureElements(int card) {
  if (card < 0) return nullptr;
  // Only cards that exist: opening a missing one would make ALSA print to stderr.
  if (snd_card_load(card) != 1) return nullptr;
  const QByteArray device = "hw:" + QByteArray::number(card);
  snd_mixer_t* handle = nullptr;
  int err = snd_mixer_open(&handle, 0);
  if (err >= 0) err = snd_mixer_attach(handle, device.constData());
  if (err >= 0) err = snd_mixer_selem_register(handle, nullptr, nullptr);
  if (err >= 0) err = snd_mixer_load(handle);
  if (err < 0) {
    qCWarning(lcAlsaCapture) << "cannot open the mixer of" << device << snd_strerror(err);
    if (handle) snd_mixer_close(handle);
    return nullptr;
  }
  return std::make_unique<TAlsaCaptureElements>(handle);
}

}  // namespace pvx::platform::devices::v4l2
