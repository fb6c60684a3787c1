#pragma once

#include "cli/CliCommand.h"

namespace albumora::cli {

// Fetches one address with the program's HTTP client: the page as text, or the raw body into a
// file. Useful to see what a site sends the program, and through which proxy.
class FetchCommand final : public CliCommand {
public:
    const char* name() const override { return "fetch"; }
    const char* synopsis() const override {
        return "fetch URL [--header TEXT]... [--output FILE] [--timeout MS] [--attempts N] [--pause S] "
               "[--min-size K] [--max-size K] [--min-text N]";
    }
    const char* summary() const override {
        return "fetch one address; print the page as UTF-8 text, or save the raw body with --output";
    }
    ExitCode Run(CliContext& context, const std::vector<std::string>& args) override;
};

}  // namespace albumora::cli
