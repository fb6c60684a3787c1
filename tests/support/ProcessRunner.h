#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace albumora::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs a program to its end with standard input from /dev/null, capturing both outputs. `env`
// adds or replaces variables of this process's environment; a pair with an empty value removes
// the variable. A process still running after `timeout` is killed.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::pair<std::string, std::string>>& env = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

// As RunProcess, but with standard error on a pseudo-terminal, as when a person runs the program;
// `err` holds what the terminal received (line ends as "\r\n").
ProcessResult RunProcessOnTerminal(const std::string& program, const std::vector<std::string>& args,
                                   const std::vector<std::pair<std::string, std::string>>& env = {},
                                   std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace albumora::test
