#include "tuning/CountryList.h"

#include "settings/ChannelInfo.h"
#include "tuning/FrequencyTable.h"

#include <array>
#include <vector>

namespace pvx::tuning {
namespace {

struct CountryRow {
  const char* text;
  qint32 code;
  // Set where the country has a table or standard of its own instead of its system's.
  int table = -1;
  int standard = -1;
};

struct SystemRule {
  const char* suffix;
  quint8 table;
  quint8 standard;
};

// Table and standard by the TV system the text ends with; no system means NTSC-M, table 0.
constexpr SystemRule kSystemRules[] = {
    {"(NTSC-M)", 0, 0},  {"(NTSC-J)", 7, 1},    {"(PAL-B/G)", 3, 2},   {"(PAL-D/K)", 4, 3},
    {"(PAL-I)", 5, 4},   {"(PAL-M)", 0, 5},     {"(PAL-N)", 0, 6},     {"(SECAM-B/G)", 3, 7},
    {"(SECAM-D/K)", 4, 8}, {"(SECAM-L)", 6, 9},
};

// In letter order, and within a letter in the order the list shows them.
constexpr CountryRow kCountries[] = {
    {"Afghanistan(PAL-B/G)", 93},
    {"Albania(PAL-B/G)", 355},
    {"Algeria(PAL-B/G)", 213},
    {"Andorra", 376},
    {"Argentina(PAL-N)", 54},
    {"Armenia(SECAM-D/K)", 374},
    {"Aruba(NTSC-M)", 297},
    {"Ascension Island", 247},
    {"Australia(PAL-B/G)", 61, 22, 2},
    {"Austria(PAL-B/G)", 43},
    {"Azerbaijan(SECAM-D/K)", 994},
    {"Bahrain(PAL-B/G)", 973},
    {"Bangladesh(PAL-B/G)", 880},
    {"Belarus(SECAM-D/K)", 375},
    {"Belgium(PAL-B/G)", 32},
    {"Belize(NTSC-M)", 501},
    {"Bhutan", 975},
    {"Bolivia(PAL-N)", 591},
    {"Botswana(SECAM-D/K)", 267},
    {"Brazil(PAL-M)", 55},
    {"Brunei(PAL-B/G)", 673},
    {"Bulgaria(SECAM-D/K)", 359},
    {"Burkina Faso(SECAM-D/K)", 226},
    {"Cambodia(PAL-B/G)", 855},
    {"Cameroon(PAL-B/G)", 237},
    {"Canada(NTSC-M)", 2},
    {"Central African Republic(PAL-B/G)", 236},
    {"Chad(PAL-B/G)", 235},
    {"Chile(NTSC-M)", 56},
    {"China(PAL-D/K)", 86, 8, 3},
    {"Christmas Island", 672},
    {"Colombia(NTSC-M)", 57},
    {"Cook Islands(PAL-B/G)", 682},
    {"Costa Rica(NTSC-M)", 506},
    {"Croatia(PAL-B/G)", 385},
    {"Cuba(NTSC-M)", 53},
    {"Cyprus(PAL-B/G)", 357},
    {"Czech Republic(PAL-D/K)", 42, 15, 3},
    {"Czech Republic(SECAM-D/K)", 42},
    {"Denmark(PAL-B/G)", 45},
    {"Diego Carcia(NTSC-M)", 246},
    {"Ecuador(NTSC-M)", 593},
    {"Egypt(PAL-B/G)", 20},
    {"Egypt(SECAM-B/G)", 20},
    {"El Salvador(NTSC-M)", 503},
    {"Eritrea", 291},
    {"Estonia(PAL-B/G)", 372},
    {"Ethiopia(PAL-B/G)", 251},
    {"Falkland Islands(PAL-I)", 500},
    {"Faroe Islands(PAL-B/G)", 298},
    {"Fiji Islands(NTSC-M)", 679},
    {"Finland(PAL-B/G)", 358},
    {"France(SECAM-L)", 33},
    {"Georgia(SECAM-D/K)", 995},
    {"Germany(PAL-B/G)", 49},
    {"Ghana(PAL-B/G)", 233},
    {"Gibraltar(PAL-B/G)", 350},
    {"Greece(PAL-B/G)", 30},
    {"Greenland(NTSC-M)", 299},
    {"Guam(NTSC-M)", 671},
    {"Guatemala(NTSC-M)", 502},
    {"Guinea(SECAM-D/K)", 224},
    {"Haiti(NTSC-M)", 509},
    {"Honduras(NTSC-M)", 504},
    {"Hong Kong(PAL-I)", 852},
    {"Hungary(PAL-D/K)", 36, 16, 3},
    {"Hungary2(PAL-D/K)", 36, 23, 3},
    {"Hungary(SECAM-D/K)", 36},
    {"Iceland(PAL-B/G)", 354},
    {"India(PAL-B/G)", 91},
    {"Indonesia(PAL-B/G)", 62},
    {"INMARSAT", 871},
    {"Iran(SECAM-B/G)", 98},
    {"Iraq(SECAM-B/G)", 964},
    {"Ireland(PAL-I)", 353},
    {"Israel [Gvanim](PAL-B/G)", 972, 12, 2},
    {"Israel [Idan](PAL-B/G)", 972, 11, 2},
    {"Israel [Matav](PAL-B/G)", 972, 10, 2},
    {"Israel [Zahav](PAL-B/G)", 972, 9, 2},
    {"Italy(PAL-B/G)", 39},
    {"Japan(NTSC-J)", 81},
    {"Jordan(PAL-B/G)", 962},
    {"Kenya(PAL-B/G)", 254},
    {"Kiribati Republic(PAL-B/G)", 686},
    {"Korea(North)(SECAM-D/K)", 850},
    {"Korea(South)(NTSC-M)", 82},
    {"Kuwait(PAL-B/G)", 965},
    {"Laos(PAL-B/G)", 856},
    {"Latvia(PAL-D/K)", 371, 17, 3},
    {"Latvia(SECAM-D/K)", 371},
    {"Lebanon(PAL-B/G)", 961},
    {"Lebanon(SECAM-B/G)", 961},
    {"Lesotho(PAL-I)", 266},
    {"Liberia(PAL-B/G)", 231},
    {"Libya(SECAM-B/G)", 218},
    {"Lithuania(PAL-B/G)", 370},
    {"Luxembourg(PAL-B/G)", 352},
    {"Macau(PAL-I)", 853},
    {"Malawi", 265},
    {"Malaysia(PAL-B/G)", 60},
    {"Maldives(PAL-B/G)", 960},
    {"Mali(SECAM-D/K)", 223},
    {"Malta(PAL-B/G)", 356},
    {"Marshall Islands(NTSC-M)", 692},
    {"Mauritius(SECAM-B/G)", 230},
    {"Mayotte Island(SECAM-D/K)", 269},
    {"Mexico(NTSC-M)", 52},
    {"Moldova(SECAM-D/K)", 373},
    {"Monaco(SECAM-B/G)", 377},
    {"Mongolia(SECAM-D/K)", 976},
    {"Myanmar(NTSC-M)", 95},
    {"Namibia(PAL-I)", 264},
    {"Nauru", 674},
    {"Nepal(PAL-B/G)", 977},
    {"Netherlands 1(PAL-B/G)", 31, 13, 2},
    {"Netherlands 2(PAL-B/G)", 31, 14, 2},
    {"New Zealand(PAL-B/G)", 64},
    {"Nicaragua(NTSC-M)", 505},
    {"Nigeria(PAL-B/G)", 234},
    {"Niue", 683},
    {"Norway(PAL-B/G)", 47},
    {"Oman(PAL-B/G)", 968},
    {"Pakistan(PAL-B/G)", 92},
    {"Palau(NTSC-M)", 680},
    {"Panama(NTSC-M)", 507},
    {"Papua New Guinea(PAL-B/G)", 675},
    {"Paraguay(PAL-N)", 595},
    {"Peru(NTSC-M)", 51},
    {"Philippines(NTSC-M)", 63},
    {"Poland 1(PAL-D/K)", 48, 18, 3},
    {"Poland 2(PAL-D/K)", 48, 19, 3},
    {"Poland 3(PAL-D/K)", 48, 20, 3},
    {"Portugal(PAL-B/G)", 351},
    {"Qatar(PAL-B/G)", 974},
    {"Romania(PAL-B/G)", 40},
    {"Romania(PAL-D/K)", 40},
    {"Russia(SECAM-D/K)", 7, 21, 8},
    {"Russia Moscow(SECAM-D/K)", 7, 24, 8},
    {"Rwanda(PAL-B/G)", 250},
    {"Saipan Island", 670},
    {"San Marino(PAL-B/G)", 378},
    {"Sao Tome & Principe(PAL-B/G)", 239},
    {"Saudi Arabia(PAL-B/G)", 966},
    {"Seychelle Islands(PAL-B/G)", 248},
    {"Sierra Leone(PAL-B/G)", 232},
    {"Singapore(PAL-B/G)", 65},
    {"Slovenia(PAL-B/G)", 386},
    {"Solomon Islands", 677},
    {"Somalia(PAL-B/G)", 252},
    {"South Africa(PAL-I)", 27},
    {"Spain(PAL-B/G)", 34},
    {"Sri Lanka(PAL-B/G)", 94},
    {"St. Helena", 290},
    {"Sudan(PAL-B/G)", 249},
    {"Suriname(NTSC-M)", 597},
    {"Swaziland(PAL-B/G)", 268},
    {"Sweden(PAL-B/G)", 46},
    {"Switzerland(PAL-B/G)", 41},
    {"Syria(SECAM-B/G)", 963},
    {"Taiwan(NTSC-M)", 886},
    {"Tanzania(PAL-B/G)", 255},
    {"Thailand(PAL-B/G)", 66},
    {"Tokelau", 690},
    {"Tonga(NTSC-M)", 676},
    {"Tunisia(SECAM-B/G)", 216},
    {"Turkey(PAL-B/G)", 90},
    {"Tuvalu", 688},
    {"U.S.A.(NTSC-M)", 1},
    {"U.S.A.(HRC)(NTSC-M)", 1, 1, 0},
    {"U.S.A.(IRC)(NTSC-M)", 1, 2, 0},
    {"Uganda(PAL-B/G)", 256},
    {"Ukraine(SECAM-D/K)", 380, 21, 8},
    {"United Arab Emirates(PAL-B/G)", 971},
    {"United Kingdom(PAL-I)", 44},
    {"Uruguay(PAL-N)", 598},
    {"Vanuatu", 678},
    {"Venezuela(NTSC-M)", 58},
    {"Vietnam(NTSC-M)", 84},
    {"Wallis & Futuna Islands(SECAM-D/K)", 681},
    {"Western Samoa(PAL-B/G)", 685},
    {"Yemen(PAL-B/G)", 967},
    {"Yugoslavia(PAL-B/G)", 381},
    {"Zambia(PAL-B/G)", 260},
};
static_assert(std::size(kCountries) == kCountryEntryCount);

constexpr int kHungaryCode = 36;
// "Hungary2(PAL-D/K)" is what a Hungarian locale preselects, not the first Hungary entry.
constexpr TCountryPosition kHungaryPreselect{7, 4};

int LetterOf(const char* text) { return QChar::fromLatin1(text[0]).toUpper().unicode() - 'A'; }

TTuningEntry EntryOf(const CountryRow& row) {
  TTuningEntry entry;
  entry.Text = QString::fromLatin1(row.text);
  entry.CountryCode = row.code;
  for (const SystemRule& rule : kSystemRules) {
    if (entry.Text.endsWith(QLatin1String(rule.suffix))) {
      entry.TableIndex = rule.table;
      entry.Standard = rule.standard;
      break;
    }
  }
  if (row.table >= 0) entry.TableIndex = quint8(row.table);
  if (row.standard >= 0) entry.Standard = quint8(row.standard);
  return entry;
}

using LetterGroups = std::array<std::vector<TTuningEntry>, kLetterCount>;

const LetterGroups& Groups() {
  static const LetterGroups groups = [] {
    LetterGroups built;
    for (const CountryRow& row : kCountries) built[LetterOf(row.text)].push_back(EntryOf(row));
    return built;
  }();
  return groups;
}

}  // namespace

QStringList CountryLetters() {
  QStringList letters;
  for (int letter = 0; letter < kLetterCount; ++letter) letters << QString(QChar('A' + letter));
  return letters;
}

QStringList CountryTexts(int letter) {
  QStringList texts;
  if (letter < 0 || letter >= kLetterCount) return texts;
  for (const TTuningEntry& entry : Groups()[letter]) texts << entry.Text;
  return texts;
}

TTuningEntry CountryEntry(int letter, int position) {
  if (letter < 0 || letter >= kLetterCount) return {};
  const auto& entries = Groups()[letter];
  if (position < 0 || position >= int(entries.size())) return {};
  return entries[position];
}

TCountryPosition EntryForCode(int countryCode) {
  if (countryCode == kHungaryCode) return kHungaryPreselect;
  const LetterGroups& groups = Groups();
  for (int letter = 0; letter < kLetterCount; ++letter) {
    for (int position = 0; position < int(groups[letter].size()); ++position) {
      if (groups[letter][position].CountryCode == countryCode) return {letter, position};
    }
  }
  return {};
}

bool LoadCountryPlan(settings::TChannelInfo& channels, int countryCode) {
  const TCountryPosition at = EntryForCode(countryCode);
  const TTuningEntry entry = CountryEntry(at.Letter, at.Position);
  TFrequencyBlock antenna{}, cable{};
  if (!LoadFrequencyTable(entry.TableIndex, antenna, cable)) return false;
  ApplyFrequencyBlock(antenna, [&](int n) -> auto& { return *channels.ChannelRecord(false, n); });
  ApplyFrequencyBlock(cable, [&](int n) -> auto& { return *channels.ChannelRecord(true, n); });
  for (int n = 1; n <= settings::TChannelInfo::kChannelCount; ++n) {
    for (bool isCable : {false, true}) {
      settings::TChannelRecord* record = channels.ChannelRecord(isCable, n);
      record->Valid = record->Frequency != 0;
      record->Standard = entry.Standard;
    }
  }
  channels.SetCountryPlan(entry.TableIndex, entry.Standard);
  channels.SetCountryCode(entry.CountryCode);
  return true;
}

}  // namespace pvx::tuning
