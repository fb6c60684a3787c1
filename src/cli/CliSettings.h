#pragma once

#include "cli/CliCommand.h"
#include "core/settings/SettingsStore.h"

namespace albumora::cli {

// Every command starts here: loads soft.dat from the settings folder, repairing it and creating it
// on a first run. A settings file that cannot be written is reported on stderr; the loaded values
// still serve the command.
LoadedSettings LoadCliSettings(const CliContext& context);

}  // namespace albumora::cli
