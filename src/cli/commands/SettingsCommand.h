#pragma once

#include <string>

#include "cli/CliCommand.h"

namespace albumora::cli {

// Shows the save folder and the download parameters, naming scheme and options of the current site,
// or changes one of them and saves soft.dat.
class SettingsCommand final : public CliCommand {
public:
    CLI::App* Define(CLI::App& app) override;
    ExitCode Run(CliContext& context) override;

private:
    CLI::App* m_set = nullptr;
};

}  // namespace albumora::cli
