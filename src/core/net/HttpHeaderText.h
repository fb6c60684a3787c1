#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/net/URLSource2.h"

namespace albumora {

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// The empty line that ends a header block.
bool IsHeaderBlockEnd(std::string_view line);

// The status code of a status line ("HTTP/1.1 404 Not Found"); 0 when there is none.
int StatusOf(std::string_view statusLine);

// True when the block holds a header line of that name (any letter case).
bool HasHeader(std::string_view block, std::string_view name);

// The number after the first "Content-Length:" (any letter case), blanks skipped, up to the first
// non-digit; nothing when the header is absent.
std::optional<std::uint64_t> ContentLengthOf(std::string_view block);

// The value of the first "Content-Encoding:" line (any letter case), without the blanks around it;
// empty when there is none.
std::string_view ContentEncodingOf(std::string_view block);

// True when the block declares an HTML document ("Content-Type: text/html", any letter case).
bool DeclaresHtml(std::string_view block);

// True when a body opens, after blanks, like a web page ("<!DOCTYPE" or "<html", any letter case).
// `head` is the body's first bytes; the blanks before the markup may run long, so a few KB of them.
bool OpensLikeWebPage(std::string_view head);

// The caller's extra header lines as libcurl takes them.
Slist HeaderList(const ST_URLREQUEST& request);

}  // namespace albumora
