#include "cli/commands/FetchCommand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>

#include "core/net/URLSource2.h"

namespace albumora::cli {

namespace {

// A whole decimal number within [0, limit]; nothing for anything else.
std::optional<std::uint32_t> ParseNumber(const std::string& text, std::uint32_t limit) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > limit) {
        return std::nullopt;
    }
    return value;
}

ExitCode UsageError(const std::string& message) {
    std::fprintf(stderr, "albumora-cli fetch: %s\n", message.c_str());
    return ExitCode::Usage;
}

}  // namespace

ExitCode FetchCommand::Run(CliContext& context, const std::vector<std::string>& args) {
    ST_URLREQUEST request;
    request.cookieStore = context.cookies;
    std::string url;
    std::string output;
    WString headers;
    struct NumberOption {
        const char* name;
        std::uint32_t limit;
        std::uint32_t* target;
    };
    std::uint32_t attempts = request.attempts;
    std::uint32_t pause = request.retryPauseSec;
    std::uint32_t timeout = request.readTimeoutMs;
    const NumberOption numbers[] = {
        {"--timeout", UINT32_MAX, &timeout},
        {"--attempts", 255, &attempts},
        {"--pause", 255, &pause},
        {"--min-size", UINT32_MAX, &request.minSizeK},
        {"--max-size", UINT32_MAX, &request.maxSizeK},
        {"--min-text", UINT32_MAX, &request.minTextLength},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--")) {
            if (!url.empty()) {
                return UsageError("more than one address: '" + arg + "'");
            }
            url = arg;
            continue;
        }
        if (i + 1 == args.size()) {
            return UsageError("option " + arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--header") {
            headers += (headers.empty() ? u"" : u"\r\n") + FromUtf8(value);
        } else if (arg == "--output") {
            output = value;
        } else {
            const NumberOption* option = nullptr;
            for (const auto& candidate : numbers) {
                option = arg == candidate.name ? &candidate : option;
            }
            if (option == nullptr) {
                return UsageError("unknown option " + arg);
            }
            const auto number = ParseNumber(value, option->limit);
            if (!number) {
                return UsageError("option " + arg + " wants a whole number up to " +
                                  std::to_string(option->limit) + ", not '" + value + "'");
            }
            *option->target = *number;
        }
    }
    if (url.empty()) {
        return UsageError("no address given");
    }
    // A device or a FIFO (/dev/null, /dev/stdout) is written into as it is, as other download
    // tools do; only a regular file goes through a temporary file and a rename, which would
    // replace a device by a plain file.
    struct stat info {};
    bool intoSpecialFile = false;
    if (!output.empty() && ::stat(output.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return UsageError("--output names a folder: '" + output + "'");
        }
        intoSpecialFile = !S_ISREG(info.st_mode);
    }
    request.url = FromUtf8(url);
    request.extraHeaders = headers;
    request.savePath = intoSpecialFile ? WString() : FromUtf8(output);
    request.readTimeoutMs = request.connectTimeoutMs = timeout;
    request.attempts = static_cast<std::uint8_t>(attempts);
    request.retryPauseSec = static_cast<std::uint8_t>(pause);

    CURLSource response;
    if (!FetchUrl(request, response, 0)) {
        std::string why = DescribeFailure(response.failure);
        if (!response.failureDetail.empty()) {
            why += ": " + response.failureDetail;
        }
        std::fprintf(stderr, "albumora-cli fetch: failed: %s\n", why.c_str());
        return ExitCode::Failed;
    }
    if (intoSpecialFile) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CLOEXEC);
        bool written = fd >= 0;
        for (size_t done = 0; written && done < response.body.size();) {
            const ssize_t n = ::write(fd, response.body.data() + done, response.body.size() - done);
            written = n > 0 || (n < 0 && errno == EINTR);
            done += n > 0 ? static_cast<size_t>(n) : 0;
        }
        if (fd < 0 || ::close(fd) != 0 || !written) {
            std::fprintf(stderr, "albumora-cli fetch: cannot write '%s'\n", output.c_str());
            return ExitCode::Failed;
        }
    } else if (output.empty()) {
        const std::string text = ToUtf8(GetText(response, TEXT_INFLATE | TEXT_UTF8));
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0) {
            return ExitCode::Failed;
        }
    }
    return ExitCode::Ok;
}

}  // namespace albumora::cli
