#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace albumora::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the real albumora-cli with `args`; its output goes through files in `scratch`.
inline CliResult RunCli(const std::vector<std::string>& args, const TempFolder& scratch) {
    const std::string outPath = scratch / "cli.out";
    const std::string errPath = scratch / "cli.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> argv{ALBUMORA_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    CliResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, ALBUMORA_CLI_PATH, &actions, nullptr, pointers.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadBytes(outPath);
    result.err = ReadBytes(errPath);
    return result;
}

}  // namespace albumora::test
