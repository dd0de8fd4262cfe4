#pragma once

#include <QLocale>
#include <QStringView>

namespace pvx::platform {

// International dialling code (country calling code, e.g. 1 for the US, 44 for the UK,
// 49 for Germany, 886 for Taiwan) of a locale territory; 1 when unknown.
int DialCodeForTerritory(QLocale::Territory territory);

// Same, from an ISO 3166-1 alpha-2 code ("DE", case-insensitive); 1 when unknown or malformed.
int DialCodeForIsoCode(QStringView iso2);

} // namespace pvx::platform
