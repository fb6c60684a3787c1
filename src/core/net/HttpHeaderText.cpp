#include "core/net/HttpHeaderText.h"

#include <algorithm>
#include <string>

#include "core/text/AsciiCase.h"

namespace albumora {

bool IsHeaderBlockEnd(std::string_view line) {
    return line == "\r\n" || line == "\n";
}

int StatusOf(std::string_view statusLine) {
    const size_t space = statusLine.find(' ');
    if (space == std::string_view::npos) {
        return 0;
    }
    int status = 0;
    for (size_t i = space + 1; i < statusLine.size() && i < space + 4; ++i) {
        if (statusLine[i] < '0' || statusLine[i] > '9') {
            return 0;
        }
        status = status * 10 + (statusLine[i] - '0');
    }
    return status;
}

namespace {

// The value of the first header line of that name (any letter case), blanks before it skipped.
std::optional<std::string_view> HeaderValue(std::string_view block, std::string_view name) {
    for (size_t start = 0; start < block.size();) {
        size_t end = block.find('\n', start);
        end = end == std::string_view::npos ? block.size() : end;
        std::string_view line = block.substr(start, end - start);
        start = end + 1;
        if (line.size() > name.size() && line[name.size()] == ':' && StartsWithNoCase(line, name)) {
            line.remove_prefix(name.size() + 1);
            while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
                line.remove_prefix(1);
            }
            return line;
        }
    }
    return std::nullopt;
}

}  // namespace

bool HasHeader(std::string_view block, std::string_view name) {
    return HeaderValue(block, name).has_value();
}

std::optional<std::uint64_t> ContentLengthOf(std::string_view block) {
    const std::optional<std::string_view> text = HeaderValue(block, "Content-Length");
    if (!text) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    // Saturates far above any real length, so digits without end cannot overflow.
    for (size_t at = 0; at < text->size() && (*text)[at] >= '0' && (*text)[at] <= '9'; ++at) {
        value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>((*text)[at] - '0'),
                                        UINT64_MAX / 20);
    }
    return value;
}

std::string_view ContentEncodingOf(std::string_view block) {
    std::string_view value = HeaderValue(block, "Content-Encoding").value_or(std::string_view());
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
        value.remove_suffix(1);
    }
    return value;
}

bool DeclaresHtml(std::string_view block) {
    const std::optional<std::string_view> type = HeaderValue(block, "Content-Type");
    return type && StartsWithNoCase(*type, "text/html");
}

bool OpensLikeWebPage(std::string_view head) {
    const size_t first = head.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string_view::npos) {
        return false;
    }
    head.remove_prefix(first);
    // A byte-order mark before the markup is as good as blanks.
    if (head.starts_with("\xEF\xBB\xBF")) {
        return OpensLikeWebPage(head.substr(3));
    }
    return StartsWithNoCase(head, "<!doctype") || StartsWithNoCase(head, "<html");
}

namespace {

void Append(Slist& list, const char* line) {
    // On failure libcurl returns null and leaves the list as it was, still ours to free.
    if (curl_slist* grown = curl_slist_append(list.get(), line)) {
        list.release();
        list.reset(grown);
    }
}

}  // namespace

// The caller's header lines as libcurl wants them. A line "Name:" with nothing after it would make
// libcurl drop the header; "Name;" is its spelling for sending it empty.
Slist HeaderList(const ST_URLREQUEST& request) {
    Slist list;
    const std::string text = ToUtf8(request.extraHeaders);
    bool hasExpect = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        if (line.back() == ':' && line.find(':') == line.size() - 1) {
            line.back() = ';';
        }
        hasExpect = hasExpect || StartsWithNoCase(line, "Expect:") || StartsWithNoCase(line, "Expect;");
        Append(list, line.c_str());
    }
    // A body goes out at once, without waiting for a "100 Continue" that some servers never send.
    if (!request.body.empty() && !hasExpect) {
        Append(list, "Expect:");
    }
    return list;
}

}  // namespace albumora
