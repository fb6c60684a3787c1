#include "cli/CliCommand.h"

namespace albumora::cli {

std::vector<std::unique_ptr<CliCommand>> MakeCommands() {
    std::vector<std::unique_ptr<CliCommand>> commands;
    return commands;
}

}  // namespace albumora::cli
