#include "app/KeyboardMap.h"

#include <QKeySequence>
#include <QString>
#include <bit>
#include <utility>
#include <vector>

namespace pvx::app {

namespace {

struct TBoundKey {
  TKeyChord chord;
  TKeyBinding binding;
  bool fmPanel = false;
};

// The window's own keys, which send no command.
constexpr std::pair<std::string_view, TKeyAction> kWindowKeys[] = {
    {"F12", TKeyAction::PopupMenu},       {"Escape", TKeyAction::Escape},  {"Ctrl+F", TKeyAction::EnterFullScreen},
    {"Ctrl+I", TKeyAction::TogglePIP},    {"Ctrl+Alt+V", TKeyAction::ShowVersion},
};

const std::vector<TBoundKey>& BoundKeys() {
  static const std::vector<TBoundKey> bound = [] {
    std::vector<TBoundKey> all;
    for (const auto& [text, action] : kWindowKeys)
      if (const auto chord = ParseKey(text)) all.push_back({*chord, {action, {}}, false});
    for (const commands::TCommandDef& c : commands::CommandTable())
      for (std::string_view text : c.keys)
        if (const auto chord = ParseKey(text))
          all.push_back({*chord, {TKeyAction::Command, c.code}, (c.flags & commands::kFMPanelKeys) != 0});
    return all;
  }();
  return bound;
}

}  // namespace

std::optional<TKeyChord> ParseKey(std::string_view text) {
  // The table says "Keypad" where Qt's portable text says "Num".
  QString portable = QString::fromLatin1(text.data(), qsizetype(text.size()));
  portable.replace(QLatin1String("Keypad"), QLatin1String("Num+"), Qt::CaseInsensitive);
  const QKeySequence sequence = QKeySequence::fromString(portable, QKeySequence::PortableText);
  if (text.empty() || sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown) return std::nullopt;
  return TKeyChord{sequence[0].key(), sequence[0].keyboardModifiers()};
}

TKeyBinding CommandForKey(int key, Qt::KeyboardModifiers modifiers, bool keypad, bool fmPanelVisible) {
  const Qt::KeyboardModifiers held = (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) |
                                     (keypad ? Qt::KeypadModifier : Qt::NoModifier);
  // Extra modifiers held do not spoil a key; the most specific binding wins, ties the earlier.
  auto rank = [](const TBoundKey& b) {
    return std::pair{b.fmPanel, std::popcount(unsigned(b.chord.modifiers.toInt()))};
  };
  const TBoundKey* best = nullptr;
  for (const TBoundKey& b : BoundKeys()) {
    if (b.chord.key != key || (b.chord.modifiers & ~held) || (b.fmPanel && !fmPanelVisible)) continue;
    if (!best || rank(b) > rank(*best)) best = &b;
  }
  return best ? best->binding : TKeyBinding{};
}

}  // namespace pvx::app
