#include "settings/Globals.h"

namespace pvx::settings {

TMainInfo* MainInfo = nullptr;
TCountryInfo* CountryInfo = nullptr;
TMultiLangInfo* MultiLangInfo = nullptr;
TChannelInfo* ChannelInfo = nullptr;
TPreviewInfo* PreviewInfo = nullptr;

}  // namespace pvx::settings
