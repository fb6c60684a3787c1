#pragma once

#include "cli/commands/AlbumCommand.h"

namespace albumora::cli {

// Lists, then downloads the chosen albums with the current site's settings.
class DownloadCommand final : public AlbumCommand {
public:
    CLI::App* Define(CLI::App& app) override;
    ExitCode Run(CliContext& context) override;
};

}  // namespace albumora::cli
