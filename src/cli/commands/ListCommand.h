#pragma once

#include "cli/commands/AlbumCommand.h"

namespace albumora::cli {

// Lists the albums behind an address, one tab-separated row per album.
class ListCommand final : public AlbumCommand {
public:
    CLI::App* Define(CLI::App& app) override;
    ExitCode Run(CliContext& context) override;
};

}  // namespace albumora::cli
