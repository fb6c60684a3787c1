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

// True for an http or https address whose host is Duitang's or one of its subdomains. Unlike the
// site selector's recognition, the host itself is read: an address that merely carries Duitang's
// name in its query, or user information before its host, is none of Duitang's.
bool IsDuitangHostAddress(WStringView address);

}  // namespace albumora
