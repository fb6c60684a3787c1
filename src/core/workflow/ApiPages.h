#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "core/net/URLSource2.h"
#include "core/text/WideText.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteAdapters.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

// A request to a site's JSON interface, as its own pages send it.
ST_URLREQUEST ApiRequest(const SiteWork& work, WStringView referer);

// Asks `request.url` and gives the answer's bytes, inflated. False when the exchange failed, with
// `problem` naming the page and why.
bool FetchApiPage(const ST_URLREQUEST& request, WStringView pageName, std::string& body, WString& problem,
                  CURLSource& response);

// Asks `request.url` and reads its answer with `parse` (answer bytes in, an optional record out).
// When the page failed or held none of the expected data, gives nothing and says why in
// `failure`; a page that a stop ended is no failure.
template <typename Parse>
auto FetchApiData(const SiteWork& work, const ST_URLREQUEST& request, WStringView pageName, Parse parse,
                  StageOutcome& failure) -> decltype(parse(std::string_view())) {
    std::string body;
    WString problem;
    CURLSource response;
    if (!FetchApiPage(request, pageName, body, problem, response)) {
        failure = IncompleteUnlessStopped(work.PagesStopped(), IsGoneAnswer(response)
                                                                   ? MissingPageText(pageName, response)
                                                                   : std::move(problem));
        return {};
    }
    auto parsed = parse(std::string_view(body));
    if (!parsed) {
        failure = Incomplete(PageWithoutDataText(pageName));
    }
    return parsed;
}

}  // namespace albumora
