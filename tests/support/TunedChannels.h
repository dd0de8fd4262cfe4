#pragma once
// A home whose setup wizard has run once: its channel file holds the country plan, so the
// program starts straight into live TV instead of opening the wizard.

namespace pvx::test {

void StoreTunedChannels();

}  // namespace pvx::test
