#pragma once
// The process-wide settings objects. Start-up creates and frees them in their fixed order;
// each is nullptr outside that window, so code that may run early checks before use.

namespace pvx::settings {

class TChannelInfo;
class TCountryInfo;
class TMainInfo;
class TMultiLangInfo;
class TPreviewInfo;

extern TMainInfo* MainInfo;
extern TCountryInfo* CountryInfo;
extern TMultiLangInfo* MultiLangInfo;
extern TChannelInfo* ChannelInfo;
extern TPreviewInfo* PreviewInfo;

}  // namespace pvx::settings
