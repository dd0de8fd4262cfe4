#include "platform/mixer/TAlsaMixer.h"

#include <alsa/asoundlib.h>

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdlib>

#include "platform/mixer/AlsaLayout.h"

namespace {
Q_LOGGING_CATEGORY(lcMixer, "pvx.mixer")
}

namespace pvx::platform::mixer {

struct TAlsaMixer::Card {
  int Number = -1;
  QString ProductName;
  snd_mixer_t* Handle = nullptr;
  // Elements are looked up by name and index on every call, so a removed one is never touched.
  std::vector<TAlsaElementCaps> Elements;
  std::vector<TAlsaDestinationLayout> Layout;
  std::vector<std::unique_ptr<QSocketNotifier>> Notifiers;
  bool LayoutChanged = false;
  bool ValueChanged = false;
  bool Gone = false;

  ~Card() {
    Notifiers.clear();
    if (Handle) snd_mixer_close(Handle);
  }
};

namespace {

using Card = TAlsaMixer::Card;

int ElementEvent(snd_mixer_elem_t* elem, unsigned int mask) {
  auto* card = static_cast<Card*>(snd_mixer_elem_get_callback_private(elem));
  if (!card) return 0;
  if (mask == SND_CTL_EVENT_MASK_REMOVE || (mask & SND_CTL_EVENT_MASK_INFO))
    card->LayoutChanged = true;
  if (mask != SND_CTL_EVENT_MASK_REMOVE && (mask & SND_CTL_EVENT_MASK_VALUE))
    card->ValueChanged = true;
  return 0;
}

void Watch(snd_mixer_elem_t* elem, Card* card) {
  snd_mixer_elem_set_callback(elem, ElementEvent);
  snd_mixer_elem_set_callback_private(elem, card);
}

int MixerEvent(snd_mixer_t* mixer, unsigned int mask, snd_mixer_elem_t* elem) {
  auto* card = static_cast<Card*>(snd_mixer_get_callback_private(mixer));
  if (card && (mask & SND_CTL_EVENT_MASK_ADD)) {
    card->LayoutChanged = true;
    if (elem) Watch(elem, card);
  }
  return 0;
}

void ReadElements(Card& card) {
  card.Elements.clear();
  for (snd_mixer_elem_t* e = snd_mixer_first_elem(card.Handle); e; e = snd_mixer_elem_next(e)) {
    if (snd_mixer_elem_get_type(e) != SND_MIXER_ELEM_SIMPLE) continue;
    TAlsaElementCaps caps;
    caps.Name = QString::fromUtf8(snd_mixer_selem_get_name(e));
    caps.Index = snd_mixer_selem_get_index(e);
    caps.PlaybackVolume = snd_mixer_selem_has_playback_volume(e);
    caps.PlaybackSwitch = snd_mixer_selem_has_playback_switch(e);
    caps.CaptureVolume = snd_mixer_selem_has_capture_volume(e);
    caps.CaptureSwitch = snd_mixer_selem_has_capture_switch(e);
    card.Elements.push_back(caps);
  }
  card.Layout = LayOutAlsaElements(card.Elements);
}

snd_mixer_elem_t* FindElement(const Card& card, const TAlsaElementCaps& caps) {
  snd_mixer_selem_id_t* id = nullptr;
  if (snd_mixer_selem_id_malloc(&id) < 0) return nullptr;
  snd_mixer_selem_id_set_name(id, caps.Name.toUtf8().constData());
  snd_mixer_selem_id_set_index(id, caps.Index);
  snd_mixer_elem_t* elem = snd_mixer_find_selem(card.Handle, id);
  snd_mixer_selem_id_free(id);
  return elem;
}

// One direction (playback or capture) of a simple element, so the get and set code is shared.
struct Side {
  bool capture;

  bool HasVolume(snd_mixer_elem_t* e) const {
    return capture ? snd_mixer_selem_has_capture_volume(e) : snd_mixer_selem_has_playback_volume(e);
  }
  bool HasSwitch(snd_mixer_elem_t* e) const {
    return capture ? snd_mixer_selem_has_capture_switch(e) : snd_mixer_selem_has_playback_switch(e);
  }
  bool IsMono(snd_mixer_elem_t* e) const {
    return capture ? snd_mixer_selem_is_capture_mono(e) : snd_mixer_selem_is_playback_mono(e);
  }
  bool Range(snd_mixer_elem_t* e, long& min, long& max) const {
    return (capture ? snd_mixer_selem_get_capture_volume_range(e, &min, &max)
                    : snd_mixer_selem_get_playback_volume_range(e, &min, &max)) >= 0;
  }
  bool Get(snd_mixer_elem_t* e, snd_mixer_selem_channel_id_t ch, long& raw) const {
    return (capture ? snd_mixer_selem_get_capture_volume(e, ch, &raw)
                    : snd_mixer_selem_get_playback_volume(e, ch, &raw)) >= 0;
  }
  bool Set(snd_mixer_elem_t* e, snd_mixer_selem_channel_id_t ch, long raw) const {
    return (capture ? snd_mixer_selem_set_capture_volume(e, ch, raw)
                    : snd_mixer_selem_set_playback_volume(e, ch, raw)) >= 0;
  }
  bool SetAll(snd_mixer_elem_t* e, long raw) const {
    return (capture ? snd_mixer_selem_set_capture_volume_all(e, raw)
                    : snd_mixer_selem_set_playback_volume_all(e, raw)) >= 0;
  }
  bool GetSwitch(snd_mixer_elem_t* e, int& on) const {
    return (capture ? snd_mixer_selem_get_capture_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on)
                    : snd_mixer_selem_get_playback_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on)) >= 0;
  }
  bool SetSwitch(snd_mixer_elem_t* e, int on) const {
    return (capture ? snd_mixer_selem_set_capture_switch_all(e, on)
                    : snd_mixer_selem_set_playback_switch_all(e, on)) >= 0;
  }
};

bool ReadVolume(snd_mixer_elem_t* e, Side side, TMixerVolume& volume) {
  TMixerVolume v{kMixerFullScale, kMixerFullScale, false};
  if (side.HasVolume(e)) {
    long min = 0, max = 0, left = 0, right = 0;
    if (!side.Range(e, min, max) || !side.Get(e, SND_MIXER_SCHN_FRONT_LEFT, left)) return false;
    if (side.IsMono(e) || !side.Get(e, SND_MIXER_SCHN_FRONT_RIGHT, right)) right = left;
    v.Left = AlsaToMixerLevel(left, min, max);
    v.Right = AlsaToMixerLevel(right, min, max);
  } else if (!side.HasSwitch(e)) {
    return false;
  }
  if (side.HasSwitch(e)) {
    int on = 1;
    if (!side.GetSwitch(e, on)) return false;
    v.Mute = !on;
  }
  volume = v;
  return true;
}

bool WriteVolume(snd_mixer_elem_t* e, Side side, const TMixerVolumeChange& change) {
  if (change.Left || change.Right) {
    long min = 0, max = 0;
    if (!side.HasVolume(e) || !side.Range(e, min, max)) return false;
    if (side.IsMono(e)) {
      // One channel carries both sides; the louder request wins.
      const int level = std::max(change.Left.value_or(0), change.Right.value_or(0));
      if (!side.SetAll(e, MixerLevelToAlsa(level, min, max))) return false;
    } else {
      if (change.Left &&
          !side.Set(e, SND_MIXER_SCHN_FRONT_LEFT, MixerLevelToAlsa(*change.Left, min, max)))
        return false;
      if (change.Right &&
          !side.Set(e, SND_MIXER_SCHN_FRONT_RIGHT, MixerLevelToAlsa(*change.Right, min, max)))
        return false;
    }
  }
  if (change.Mute) {
    if (!side.HasSwitch(e) || !side.SetSwitch(e, *change.Mute ? 0 : 1)) return false;
  }
  return true;
}

std::unique_ptr<Card> OpenCard(int number) {
  auto card = std::make_unique<Card>();
  card->Number = number;
  char* name = nullptr;
  if (snd_card_get_name(number, &name) >= 0 && name) {
    card->ProductName = QString::fromUtf8(name);
    std::free(name);
  }
  const QByteArray device = "hw:" + QByteArray::number(number);
  int err = snd_mixer_open(&card->Handle, 0);
  if (err >= 0) err = snd_mixer_attach(card->Handle, device.constData());
  if (err >= 0) err = snd_mixer_selem_register(card->Handle, nullptr, nullptr);
  if (err >= 0) err = snd_mixer_load(card->Handle);
  if (err < 0) {
    qCWarning(lcMixer) << "cannot open the mixer of" << device << snd_strerror(err);
    return nullptr;
  }
  snd_mixer_set_callback(card->Handle, MixerEvent);
  snd_mixer_set_callback_private(card->Handle, card.get());
  for (snd_mixer_elem_t* e = snd_mixer_first_elem(card->Handle); e; e = snd_mixer_elem_next(e))
    Watch(e, card.get());
  ReadElements(*card);
  return card;
}

}  // namespace

TAlsaMixer::TAlsaMixer() {
  int number = -1;
  while (snd_card_next(&number) >= 0 && number >= 0) {
    if (auto card = OpenCard(number)) cards_.push_back(std::move(card));
  }
  for (size_t i = 0; i < cards_.size(); ++i) {
    Card& card = *cards_[i];
    const int count = snd_mixer_poll_descriptors_count(card.Handle);
    if (count <= 0) continue;
    std::vector<pollfd> fds(static_cast<size_t>(count));
    const int filled = snd_mixer_poll_descriptors(card.Handle, fds.data(), unsigned(count));
    for (int f = 0; f < filled; ++f) {
      const auto type = (fds[size_t(f)].events & POLLOUT) ? QSocketNotifier::Write
                                                          : QSocketNotifier::Read;
      auto notifier = std::make_unique<QSocketNotifier>(fds[size_t(f)].fd, type);
      const int index = int(i);
      QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                       [this, index] { HandleEvents(index); });
      card.Notifiers.push_back(std::move(notifier));
    }
  }
  qCDebug(lcMixer) << "sound cards with a mixer:" << cards_.size();
}

TAlsaMixer::~TAlsaMixer() = default;

void TAlsaMixer::HandleEvents(int index) {
  Card& card = *cards_[size_t(index)];
  if (card.Gone) return;
  card.LayoutChanged = card.ValueChanged = false;
  const int err = snd_mixer_handle_events(card.Handle);
  if (err < 0) {
    // The card went away (unplugged): stop listening, so a dead descriptor cannot spin the loop.
    qCWarning(lcMixer) << "card" << card.Number << "stopped answering:" << snd_strerror(err);
    card.Gone = true;
    for (auto& n : card.Notifiers) n->setEnabled(false);
    card.Elements.clear();
    card.Layout.clear();
    if (OnLineChange) OnLineChange(*this, index);
    return;
  }
  if (card.LayoutChanged) {
    ReadElements(card);
    if (OnLineChange) OnLineChange(*this, index);
  }
  if (card.ValueChanged && OnControlChange) OnControlChange(*this, index);
}

int TAlsaMixer::MixerCount() const { return int(cards_.size()); }

bool TAlsaMixer::SelectMixer(int index) {
  if (index < 0 || index >= MixerCount()) return false;
  selected_ = index;
  return true;
}

TAlsaMixer::Card* TAlsaMixer::Selected() const {
  return selected_ >= 0 ? cards_[size_t(selected_)].get() : nullptr;
}

QString TAlsaMixer::ProductName() const {
  const Card* card = Selected();
  return card ? card->ProductName : QString();
}

int TAlsaMixer::DestinationCount() const {
  const Card* card = Selected();
  return card ? int(card->Layout.size()) : 0;
}

TMixerDestinationType TAlsaMixer::DestinationType(int destination) const {
  if (destination < 0 || destination >= DestinationCount()) return TMixerDestinationType::Undefined;
  return Selected()->Layout[size_t(destination)].Type;
}

QString TAlsaMixer::DestinationName(int destination) const {
  if (destination < 0 || destination >= DestinationCount()) return {};
  return Selected()->Layout[size_t(destination)].Name;
}

int TAlsaMixer::LineCount(int destination) const {
  if (destination < 0 || destination >= DestinationCount()) return 0;
  return int(Selected()->Layout[size_t(destination)].Lines.size());
}

QString TAlsaMixer::LineName(int destination, int line) const {
  if (line < 0 || line >= LineCount(destination)) return {};
  const Card& card = *Selected();
  const int element = card.Layout[size_t(destination)].Lines[size_t(line)];
  return AlsaElementLabel(card.Elements[size_t(element)]);
}

namespace {

// The element behind a destination's control or one of its lines, and which side it is read on.
snd_mixer_elem_t* Resolve(const Card* card, int destination, int line, bool& capture) {
  if (!card || card->Gone || destination < 0 || destination >= int(card->Layout.size()))
    return nullptr;
  const TAlsaDestinationLayout& d = card->Layout[size_t(destination)];
  capture = d.Capture;
  int element = d.Master;
  if (line != kDestinationControl) {
    if (line < 0 || line >= int(d.Lines.size())) return nullptr;
    element = d.Lines[size_t(line)];
  }
  if (element < 0) return nullptr;
  return FindElement(*card, card->Elements[size_t(element)]);
}

}  // namespace

bool TAlsaMixer::GetVolume(int destination, int line, TMixerVolume& volume) {
  bool capture = false;
  snd_mixer_elem_t* e = Resolve(Selected(), destination, line, capture);
  return e && ReadVolume(e, Side{capture}, volume);
}

bool TAlsaMixer::SetVolume(int destination, int line, const TMixerVolumeChange& change) {
  bool capture = false;
  snd_mixer_elem_t* e = Resolve(Selected(), destination, line, capture);
  return e && WriteVolume(e, Side{capture}, change);
}

}  // namespace pvx::platform::mixer
