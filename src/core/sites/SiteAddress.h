#pragma once

#include "core/text/WideText.h"

namespace albumora {

// The address as the adapters request it. Browsers show the sites' pages as "https://" and often
// with "www."; the sites' requests are all built on one form ("http://huaban.com",
// "http://www.duitang.com"), so a Huaban or Duitang address is brought to it, scheme and host
// only. Every other address is returned as it is.
WString CanonicalSiteAddress(WStringView address);

// True for an address whose host is Huaban's (with or without "www.").
bool IsHuabanAddress(WStringView address);

}  // namespace albumora
