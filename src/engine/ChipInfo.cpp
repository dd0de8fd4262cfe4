#include "engine/ChipInfo.h"

namespace pvx::engine {

bool NameContains(const QString& name, const QString& part) {
  return !part.isEmpty() && name.contains(part, Qt::CaseInsensitive);
}

TChipInfo DetectChip(const QString& name, const QStringList& makers, const QStringList& models) {
  TChipInfo chip;
  auto first = [&](const QStringList& list) {
    for (const QString& entry : list)
      if (NameContains(name, entry)) return entry;
    return QString();
  };
  chip.Maker = first(makers);
  chip.Model = first(models);
  auto any = [&](std::initializer_list<const char*> parts) {
    for (const char* p : parts)
      if (NameContains(name, p)) return true;
    return false;
  };
  // Tested in this order; the family's maker fills an empty maker.
  const struct {
    std::initializer_list<const char*> parts;
    int family;
    const char* maker;
  } rules[] = {{{"Philips", "713"}, 1, "Philips"}, {{"Conexant", "88X", "878"}, 2, "Conexant"},
               {{"2800"}, 3, "Empia"},             {{"Wis"}, 5, "Wis"},
               {{"2821", "2820", "2840"}, 4, "Empia"}};
  for (const auto& rule : rules) {
    if (!any(rule.parts)) continue;
    chip.Family = rule.family;
    if (chip.Maker.isEmpty()) chip.Maker = rule.maker;
    break;
  }
  return chip;
}

std::vector<QSize> CaptureSizes(int standard, bool deinterlace, int family) {
  if (IsNtscLike(standard)) return {deinterlace ? QSize(640, 480) : QSize(320, 240)};
  if (!deinterlace) return {QSize(352, 288)};
  if (family == 3) return {QSize(640, 576), QSize(720, 576)};
  if (family == 5) return {QSize(720, 576)};
  return {QSize(640, 480)};
}

}  // namespace pvx::engine
