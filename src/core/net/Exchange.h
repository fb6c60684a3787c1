#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/net/CurlHandles.h"
#include "core/net/PartialFile.h"
#include "core/net/PictureInflater.h"
#include "core/net/URLSource2.h"

namespace albumora {

// One exchange of RequestOnce. Making the request and driving its transfer are in RequestOnce.cpp;
// what becomes of the answer as it arrives (header checks, body bytes, the verdict) in
// ExchangeAnswer.cpp.
class Exchange {
public:
    Exchange(CURLSource& response, const ST_URLREQUEST& request, std::uint32_t options)
        : m_response(response),
          m_request(request),
          m_options(options),
          m_saving(!request.savePath.empty()),
          // The success test of FetchUrl reads the bytes of a saved body only for these checks.
          m_keepSavedBody(request.minTextLength != 0 || !request.retryIfContains.empty()),
          m_file(ToUtf8(request.savePath)) {}

    bool Run();

private:
    using Steady = std::chrono::steady_clock;
    enum class Phase { Connecting, AwaitingHeaders, ReadingBody };

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        return static_cast<Exchange*>(self)->HeaderLine(std::string_view(data, size * count)) ? size * count
                                                                                              : 0;
    }
    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        return static_cast<Exchange*>(self)->BodyBytes(data, size * count) ? size * count : 0;
    }
    static size_t OnUpload(char* buffer, size_t size, size_t count, void* self) {
        return static_cast<Exchange*>(self)->UploadBytes(buffer, size * count);
    }
    static int OnPrerequest(void* self, char*, char*, int, int) {
        // The connection stands (new or reused); now the request must go out and the headers
        // come back within the connect time-out.
        static_cast<Exchange*>(self)->EnterPhase(Phase::AwaitingHeaders);
        return CURL_PREREQFUNC_OK;
    }

    void ResetHolder();
    void Transfer(const CurlThreadHandles& handles, const std::string& url);
    bool Conclude();
    bool Configure(CURL* easy, const std::string& url, curl_slist* headers);
    bool HeaderLine(std::string_view line);
    bool FinalHeaders();
    bool StartDecoding(std::string_view encoding);
    bool BodyBytes(const char* data, size_t length);
    bool KeepBodyBytes(const char* data, size_t length);
    size_t UploadBytes(char* buffer, size_t capacity);
    bool DriveTransfer(CURLM* multi, CURL* easy, CURLcode& result);
    void EnterPhase(Phase phase);
    void Fail(FetchFailure failure, std::string detail = {});
    // The request's minSizeK and maxSizeK, for a declared length and for the body as received.
    bool OutsideSizeLimits(std::uint64_t size) const;
    std::uint64_t KeptBodySize() const { return m_saving ? m_received : m_response.body.size(); }

    CURLSource& m_response;
    const ST_URLREQUEST& m_request;
    const std::uint32_t m_options;
    const bool m_saving;
    const bool m_keepSavedBody;
    PartialFile m_file;
    PictureInflater m_inflater;

    Phase m_phase = Phase::Connecting;
    Steady::time_point m_deadline;
    std::string m_block;  // the header block being received
    std::string m_head;   // a picture's first bytes, to tell a web page
    int m_blockStatus = 0;
    bool m_sawSetCookie = false;
    bool m_cutEndReached = false;
    std::uint64_t m_received = 0;
    size_t m_uploaded = 0;
    char m_errorText[CURL_ERROR_SIZE] = {};
};

}  // namespace albumora
