#include "settings/Globals.h"

namespace pvx::settings {

TMultiLangInfo* MultiLangInfo = nullptr;

}  // namespace pvx::settings
