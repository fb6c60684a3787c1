#pragma once

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
    std::string m_timeout;
    std::string m_attempts;
    std::string m_pause;
    std::string m_minSize;
    std::string m_maxSize;
    std::string m_minText;
};

}  // namespace albumora::cli
