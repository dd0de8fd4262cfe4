#include "app/CommandNames.h"

#include <charconv>

namespace pvx::app {
namespace {

constexpr char Fold(char c) {
  if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
  return c == '_' ? '-' : c;
}

constexpr bool Same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// Lower-case letters and digits in words joined by single hyphens, starting with a letter, so
// that a name can never be mistaken for a code.
constexpr bool IsKebab(std::string_view s) {
  if (s.empty() || s.front() < 'a' || s.front() > 'z' || s.back() == '-') return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    if (!ok || (c == '-' && s[i - 1] == '-')) return false;
  }
  return true;
}

template <typename F>
constexpr bool ForEachSpelling(F&& f) {
  for (const TCommandName& c : kCommandNames) {
    if (!f(c.name)) return false;
    for (const std::string_view& alias : c.aliases)
      if (!alias.empty() && !f(alias)) return false;
  }
  return true;
}

constexpr bool AllKebab() {
  return ForEachSpelling([](std::string_view s) { return IsKebab(s); });
}

constexpr bool SpellingsUnique() {
  return ForEachSpelling([](std::string_view s) {
    int seen = 0;
    ForEachSpelling([&](std::string_view t) {
      seen += Same(s, t);
      return true;
    });
    return seen == 1;
  });
}

constexpr bool CodesUnique() {
  for (const TCommandName& a : kCommandNames) {
    int seen = 0;
    for (const TCommandName& b : kCommandNames) seen += a.code == b.code;
    if (seen != 1 || a.title.empty()) return false;
  }
  return true;
}

static_assert(AllKebab(), "command names and aliases are kebab-case");
static_assert(SpellingsUnique(), "a spelling names one command only");
static_assert(CodesUnique(), "each code appears once, with a title");

}  // namespace

std::span<const TCommandName> CommandNames() { return kCommandNames; }

const TCommandName* FindCommand(int code) {
  for (const TCommandName& c : kCommandNames)
    if (c.code == code) return &c;
  return nullptr;
}

const TCommandName* FindCommand(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const TCommandName& c : kCommandNames) {
    if (Same(c.name, name)) return &c;
    for (const std::string_view& alias : c.aliases)
      if (!alias.empty() && Same(alias, name)) return &c;
  }
  return nullptr;
}

std::string_view CommandName(int code) {
  const TCommandName* c = FindCommand(code);
  return c ? c->name : std::string_view();
}

std::optional<int> CommandCode(std::string_view name) {
  const TCommandName* c = FindCommand(name);
  return c ? std::optional<int>(c->code) : std::nullopt;
}

std::optional<int> ParseCommand(std::string_view text) {
  if (!text.empty() && text.front() >= '0' && text.front() <= '9') {
    int code = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error != std::errc() || end != text.data() + text.size() || !FindCommand(code))
      return std::nullopt;
    return code;
  }
  return CommandCode(text);
}

bool SameCommandName(std::string_view a, std::string_view b) { return Same(a, b); }

}  // namespace pvx::app
