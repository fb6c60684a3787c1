#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"

namespace albumora::cli {

// Fetches one address with the program's HTTP client: the page as text, or the raw body into a
// file. Useful to see what a site sends the program, and through which proxy.
class FetchCommand final : public CliCommand {
public:
    CLI::App* Define(CLI::App& app) override;
    ExitCode Run(CliContext& context) override;

private:
    std::string m_url;
    std::string m_output;
    std::vector<std::string> m_headers;
    // Set only when given; the parser has checked them.
    std::optional<std::uint32_t> m_timeout;
    std::optional<std::uint32_t> m_attempts;
    std::optional<std::uint32_t> m_pause;
    std::optional<std::uint32_t> m_minSize;
    std::optional<std::uint32_t> m_maxSize;
    std::optional<std::uint32_t> m_minText;
};

}  // namespace albumora::cli
