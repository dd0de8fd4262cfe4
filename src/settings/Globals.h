#pragma once
// The language of the run, which every window's texts come from. Start-up sets it before the
// first window and clears it after the last; nullptr outside that window (built-in texts).

namespace pvx::settings {

class TMultiLangInfo;

extern TMultiLangInfo* MultiLangInfo;

}  // namespace pvx::settings
