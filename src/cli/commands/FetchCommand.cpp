#include "cli/commands/FetchCommand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <optional>

#include "core/files/DescriptorIo.h"
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

CLI::App* FetchCommand::Define(CLI::App& app) {
    CLI::App* command = app.add_subcommand(
        "fetch", "fetch one address; print the page as UTF-8 text, or save the raw body with --output");
    command->add_option("url", m_url, "the address")->required()->type_name("");
    command->add_option("--header", m_headers, "an extra request header line; may be given again")
        ->type_name("TEXT")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    command->add_option("--output", m_output, "save the raw body into FILE")->type_name("FILE");
    const auto number = [&](const char* name, std::optional<std::uint32_t>& target, std::uint32_t limit,
                            const char* unit, const char* what) {
        const CLI::Validator upTo(
            [limit](std::string& value) {
                return ParseNumber(value, limit) ? std::string()
                                                 : "wants a whole number up to " + std::to_string(limit);
            },
            "", "");
        command->add_option(name)->description(what)->type_name(unit)->check(upTo)->each(
            [&target, limit](const std::string& value) { target = ParseNumber(value, limit); });
    };
    number("--timeout", m_timeout, UINT32_MAX, "MS", "connect and read time-out in milliseconds");
    number("--attempts", m_attempts, 255, "N", "tries before giving up");
    number("--pause", m_pause, 255, "S", "seconds between tries");
    number("--min-size", m_minSize, UINT32_MAX, "K", "refuse a body under K kilobytes");
    number("--max-size", m_maxSize, UINT32_MAX, "K", "refuse a body over K kilobytes");
    number("--min-text", m_minText, UINT32_MAX, "N", "refuse a page shorter than N characters");
    return command;
}

ExitCode FetchCommand::Run(CliContext& context) {
    ST_URLREQUEST request;
    request.cookieStore = context.cookies;
    const std::string& output = m_output;
    WString headers;
    for (const std::string& header : m_headers) {
        headers += (headers.empty() ? u"" : u"\r\n") + FromUtf8(header);
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
    request.url = FromUtf8(m_url);
    request.extraHeaders = headers;
    request.savePath = intoSpecialFile ? WString() : FromUtf8(output);
    request.readTimeoutMs = request.connectTimeoutMs = m_timeout.value_or(request.readTimeoutMs);
    request.attempts = static_cast<std::uint8_t>(m_attempts.value_or(request.attempts));
    request.retryPauseSec = static_cast<std::uint8_t>(m_pause.value_or(request.retryPauseSec));
    request.minSizeK = m_minSize.value_or(request.minSizeK);
    request.maxSizeK = m_maxSize.value_or(request.maxSizeK);
    request.minTextLength = m_minText.value_or(request.minTextLength);

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
        const bool written = fd >= 0 && WriteAll(fd, response.body);
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
