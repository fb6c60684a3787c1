#include "core/workflow/ApiPages.h"

#include "core/workflow/Messages.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

ST_URLREQUEST ApiRequest(const SiteWork& work, WStringView referer) {
    ST_URLREQUEST request = work.NewRequest({});
    request.extraHeaders =
        u"Accept: application/json, text/plain, */*\r\nAccept-Encoding: gzip, deflate\r\n"
        u"Referer: " +
        WString(referer);
    return request;
}

bool FetchApiPage(const ST_URLREQUEST& request, WStringView pageName, std::string& body, WString& problem,
                  CURLSource& response) {
    body.clear();
    if (FetchUrl(request, response, FETCH_BROWSER_AGENT)) {
        if (!response.isGzip) {
            body = std::move(response.body);
            return true;
        }
        if (GzipInflate(response.body.data(), response.body.size(), body)) {
            return true;
        }
    }
    problem = PageFailedText(pageName, response);
    return false;
}

}  // namespace albumora
