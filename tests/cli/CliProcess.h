#pragma once

#include <string>
#include <vector>

#include "support/ProcessRunner.h"
#include "support/TempFolder.h"

namespace albumora::test {

// Runs the real albumora-cli with `args` in this process's environment.
inline ProcessResult RunCli(const std::vector<std::string>& args, const TempFolder& /*scratch*/) {
    return RunProcess(ALBUMORA_CLI_PATH, args);
}

}  // namespace albumora::test
