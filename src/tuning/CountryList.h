#pragma once
// The setup wizard's country list: 183 entries shown one initial letter at a time ("A".."Z";
// "X" has none). Each yields the frequency table, TV standard index and dialling code of its
// country.

#include <QStringList>

#include "tuning/TuningEntry.h"

namespace pvx::settings {
class TChannelInfo;
}

namespace pvx::tuning {

// Letters are numbered 0 ("A") to 25 ("Z").
inline constexpr int kLetterCount = 26;
inline constexpr int kCountryEntryCount = 183;

struct TCountryPosition {
  int Letter = 0;
  int Position = 0;
  friend bool operator==(const TCountryPosition&, const TCountryPosition&) = default;
};

// "A" .. "Z".
QStringList CountryLetters();

// The display texts of a letter's entries in list order; empty for "X" and outside 0..25.
QStringList CountryTexts(int letter);

// Country entry: table, standard index and code of a letter's entry. Positions outside the
// letter's entries, and the letter "X", give table 0, standard 0, code 1 with an empty text.
TTuningEntry CountryEntry(int letter, int position);

// Entry for code: the entry the wizard preselects for a country code, the first with that code
// in letter and list order, except that 36 gives "Hungary2(PAL-D/K)". A code no entry has
// gives the first entry, "Afghanistan(PAL-B/G)".
TCountryPosition EntryForCode(int countryCode);

// Fills both channel tables from the country's frequency plan, every channel with a frequency
// marked valid: what a start nobody attends gets instead of the setup wizard. False when the
// table file cannot be read.
bool LoadCountryPlan(settings::TChannelInfo& channels, int countryCode);

}  // namespace pvx::tuning
