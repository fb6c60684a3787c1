#include "cli/CliCommand.h"
#include "cli/commands/DownloadCommand.h"
#include "cli/commands/FetchCommand.h"
#include "cli/commands/ListCommand.h"
#include "cli/commands/SettingsCommand.h"

namespace albumora::cli {

std::vector<std::unique_ptr<CliCommand>> MakeCommands() {
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<DownloadCommand>());
    commands.push_back(std::make_unique<SettingsCommand>());
    commands.push_back(std::make_unique<FetchCommand>());
    return commands;
}

}  // namespace albumora::cli
