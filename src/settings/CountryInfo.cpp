#include "settings/CountryInfo.h"

#include <initializer_list>

#include "platform/SystemServices.h"

namespace pvx::settings {
namespace {

struct LanguageCodes {
  const char* language;
  std::initializer_list<int> codes;
};

const LanguageCodes kLanguages[] = {
    {"Arabic", {20, 213, 216, 218, 961, 962, 963, 964, 965, 966, 967, 968, 971, 974}},
    {"Chinese", {65, 852, 853, 886}},
    {"Chinese(simplified)", {86}},
    {"Spanish", {34, 51, 52, 54, 56, 57, 58, 502, 503, 504, 505, 506, 507, 591, 593, 595, 598}},
    {"French", {33, 41, 352, 377}},
    {"German", {43, 49}},
    {"Portuguese", {255, 351}},
    {"Dutch", {31, 32}},
    {"Danish", {45, 299}},
    {"Malay", {60, 673}},
    {"Japanese", {81}},
    {"Korean", {82}},
    {"Russian", {7}},
    {"Greek", {30}},
    {"Hungarian", {36}},
    {"Italian", {39}},
    {"Romanian", {40}},
    {"Czech", {42}},
    {"Swedish", {46}},
    {"Norwegian", {47}},
    {"Polski", {48}},
    {"Indonesian", {62}},
    {"Thai", {66}},
    {"Turkish", {90}},
    {"Kashmiri", {91}},
    {"Urdu", {92}},
    {"Burmese", {95}},
    {"Swahili", {254}},
    {"Ukrainian", {380}},
    {"Croatian", {385}},
    {"Slovenian", {386}},
    {"Icelandic", {354}},
    {"Albanian", {355}},
    {"Finnish", {358}},
    {"Lithuanian", {370}},
    {"Latvian", {371}},
    {"Estonian", {372}},
    {"Belarussian", {375}},
    {"Azeri", {994}},
};

}  // namespace

TCountryInfo::TCountryInfo() : TCountryInfo(platform::System().LocaleCountryCode()) {}

TCountryInfo::TCountryInfo(int countryCode)
    : CountryCode(countryCode), DefaultLanguage(DefaultLanguageFor(countryCode)) {}

QString TCountryInfo::DefaultLanguageFor(int countryCode) {
  for (const LanguageCodes& entry : kLanguages) {
    for (int code : entry.codes) {
      if (code == countryCode) return QString::fromLatin1(entry.language);
    }
  }
  return QStringLiteral("English");
}

}  // namespace pvx::settings
