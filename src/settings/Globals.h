#pragma once
// The process-wide settings objects. Start-up creates and frees them in their fixed order;
// each is nullptr outside that window, so code that may run early checks before use.

namespace pvx::settings {

class TCountryInfo;
class TMainInfo;
class TMultiLangInfo;

extern TMainInfo* MainInfo;
extern TCountryInfo* CountryInfo;
extern TMultiLangInfo* MultiLangInfo;

}  // namespace pvx::settings
