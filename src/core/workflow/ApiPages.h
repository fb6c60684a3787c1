#pragma once

#include <string>

#include "core/net/URLSource2.h"
#include "core/text/WideText.h"

namespace albumora {

class SiteWork;

// A request to a site's JSON interface, as its own pages send it.
ST_URLREQUEST ApiRequest(const SiteWork& work, WStringView referer);

// Asks `request.url` and gives the answer's bytes, inflated. False when the exchange failed, with
// `problem` naming the page and why.
bool FetchApiPage(const ST_URLREQUEST& request, WStringView pageName, std::string& body, WString& problem,
                  CURLSource& response);

}  // namespace albumora
