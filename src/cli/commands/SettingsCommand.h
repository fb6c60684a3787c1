#pragma once

#include "cli/CliCommand.h"

namespace albumora::cli {

// Shows the save folder and the download parameters, naming scheme and options of the current site,
// or changes one of them and saves soft.dat.
class SettingsCommand final : public CliCommand {
public:
    const char* name() const override { return "settings"; }
    const char* synopsis() const override { return "settings [set KEY VALUE]"; }
    const char* summary() const override {
        return "show the current site's settings, or change one and save (the keys are the names it shows)";
    }
    ExitCode Run(CliContext& context, const std::vector<std::string>& args) override;
};

}  // namespace albumora::cli
