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

    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = MergedEnvironment(env);
    auto argvPointers = Pointers(argv);
    auto envPointers = Pointers(envp);

    ProcessResult result;
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argvPointers.data(), envPointers.data());
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
    // A pid file descriptor turns "wait for the exit, at most this long" into one poll.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidFd >= 0) {
        pollfd wait{pidFd, POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(timeout.count())) == 0) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
        }
        ::close(pidFd);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
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

}  // namespace albumora::test
