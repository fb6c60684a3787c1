#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <thread>

#include "support/TempFolder.h"

extern char** environ;

namespace albumora::test {

namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::pair<std::string, std::string>>& changes) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos) {
            variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value.empty()) {
            variables.erase(name);
        } else {
            variables[name] = value;
        }
    }
    std::vector<std::string> merged;
    for (const auto& [name, value] : variables) {
        merged.push_back(name + "=" + value);
    }
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Starts `program` with `args` and this process's environment changed by `env`: 0 and the child's
// pid, or posix_spawn's error number.
int Spawn(const std::string& program, const std::vector<std::string>& args,
          const std::vector<std::pair<std::string, std::string>>& env,
          const posix_spawn_file_actions_t& actions, pid_t& pid) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = MergedEnvironment(env);
    auto argvPointers = Pointers(argv);
    auto envPointers = Pointers(envp);
    return posix_spawn(&pid, program.c_str(), &actions, nullptr, argvPointers.data(), envPointers.data());
}

struct Exit {
    bool inTime = true;  // false: still running after the time-out, and killed
    int status = 0;      // as waitpid gives it
};

// Waits for the child to end, at most `timeout` before it is killed, and reaps it.
Exit WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    Exit exit;
    // A pid file descriptor turns "wait for the exit, at most this long" into one poll.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidFd >= 0) {
        pollfd wait{pidFd, POLLIN, 0};
        exit.inTime = ::poll(&wait, 1, static_cast<int>(timeout.count())) > 0;
        ::close(pidFd);
    }
    if (!exit.inTime) {
        ::kill(pid, SIGKILL);
    }
    ::waitpid(pid, &exit.status, 0);
    return exit;
}

ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                  const std::vector<std::pair<std::string, std::string>>& env,
                  std::chrono::milliseconds timeout, bool errOnTerminal) {
    TempFolder folder;
    const std::string outPath = folder.file("out");
    const std::string errPath = folder.file("err");
    int terminal = -1;
    int terminalSide = -1;
    if (errOnTerminal && ::openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr) != 0) {
        ProcessResult failed;
        failed.err = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return failed;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errOnTerminal) {
        posix_spawn_file_actions_adddup2(&actions, terminalSide, 2);
        posix_spawn_file_actions_addclose(&actions, terminal);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }

    ProcessResult result;
    pid_t pid = 0;
    const int spawned = Spawn(program, args, env, actions, pid);
    posix_spawn_file_actions_destroy(&actions);
    std::thread terminalReader;
    if (errOnTerminal) {
        ::close(terminalSide);
        // Read as it comes: a full terminal buffer would stall the program. The read fails once the
        // program has exited and closed its side.
        terminalReader = std::thread([terminal, &result] {
            char buffer[4096];
            ssize_t got = 0;
            while ((got = ::read(terminal, buffer, sizeof buffer)) > 0) {
                result.err.append(buffer, static_cast<size_t>(got));
            }
        });
    }
    if (spawned != 0) {
        if (terminalReader.joinable()) {
            ::close(terminal);  // no program holds the other side: the reader ends
            terminalReader.join();
        }
        result.err = std::string("cannot start ") + program + ": " + std::strerror(spawned);
        return result;
    }
    const Exit exit = WaitForExit(pid, timeout);
    result.timedOut = !exit.inTime;
    if (WIFEXITED(exit.status)) {
        result.exitCode = WEXITSTATUS(exit.status);
    }
    result.out = ReadFile(outPath).bytes;
    if (terminalReader.joinable()) {
        terminalReader.join();
        ::close(terminal);
    } else {
        result.err = ReadFile(errPath).bytes;
    }
    return result;
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::pair<std::string, std::string>>& env,
                         std::chrono::milliseconds timeout) {
    return Run(program, args, env, timeout, false);
}

ProcessResult RunProcessOnTerminal(const std::string& program, const std::vector<std::string>& args,
                                   const std::vector<std::pair<std::string, std::string>>& env,
                                   std::chrono::milliseconds timeout) {
    return Run(program, args, env, timeout, true);
}

BackgroundProcess::BackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                                     const std::vector<std::pair<std::string, std::string>>& env) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    pid_t pid = 0;
    const int spawned = Spawn(program, args, env, actions, pid);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return;
    }
    m_pid = pid;
    m_out = pipeEnds[0];
}

BackgroundProcess::~BackgroundProcess() {
    if (m_pid > 0) {
        Stop(SIGKILL, std::chrono::seconds(10));
    }
    if (m_out >= 0) {
        ::close(m_out);
    }
}

std::optional<std::string> BackgroundProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto giveUp = std::chrono::steady_clock::now() + timeout;
    while (m_out >= 0) {
        const size_t newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            std::string line = m_pending.substr(0, newline);
            m_pending.erase(0, newline + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now());
        pollfd readable{m_out, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char buffer[4096];
        const ssize_t got = ::read(m_out, buffer, sizeof buffer);
        if (got <= 0) {
            return std::nullopt;
        }
        m_pending.append(buffer, static_cast<size_t>(got));
    }
    return std::nullopt;
}

int BackgroundProcess::Stop(int signal, std::chrono::milliseconds timeout) {
    if (m_pid <= 0) {
        return -1;
    }
    ::kill(m_pid, signal);
    const Exit exit = WaitForExit(m_pid, timeout);
    m_pid = -1;
    return exit.inTime && WIFEXITED(exit.status) ? WEXITSTATUS(exit.status) : -1;
}

}  // namespace albumora::test
