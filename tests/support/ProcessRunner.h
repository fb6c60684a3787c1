#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
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

// A program left running while the test goes on, standard input from /dev/null, standard output on
// a pipe that only ReadLine reads (enough for a server's opening line), standard error shared with
// the test's. A process still running at the end is killed.
class BackgroundProcess {
public:
    BackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::pair<std::string, std::string>>& env = {});
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool running() const { return m_pid > 0; }

    // The next line of standard output without its newline; nullopt when none is complete within
    // `timeout` or the output ended.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);

    // Sends `signal` and waits for the end: the exit code, or -1 when the process did not exit
    // normally or had to be killed after `timeout`.
    int Stop(int signal, std::chrono::milliseconds timeout);

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_pending;
};

}  // namespace albumora::test
