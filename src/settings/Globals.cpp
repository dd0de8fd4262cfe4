#include "settings/Globals.h"

namespace pvx::settings {

TMainInfo* MainInfo = nullptr;
TCountryInfo* CountryInfo = nullptr;
TMultiLangInfo* MultiLangInfo = nullptr;

}  // namespace pvx::settings
