#include "cli/CliCommand.h"
#include "cli/commands/FetchCommand.h"

namespace albumora::cli {

std::vector<std::unique_ptr<CliCommand>> MakeCommands() {
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<FetchCommand>());
    return commands;
}

}  // namespace albumora::cli
