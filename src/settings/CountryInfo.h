#pragma once
// The user's country (as an international dialling code) and the language that goes with it.

#include <QString>

namespace pvx::settings {

class TCountryInfo {
 public:
  // Reads the country code from the locale.
  TCountryInfo();
  explicit TCountryInfo(int countryCode);

  int CountryCode = 1;
  QString DefaultLanguage = "English";

  // The language used for a country code; "English" for codes without their own.
  static QString DefaultLanguageFor(int countryCode);
};

}  // namespace pvx::settings
