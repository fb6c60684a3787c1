#pragma once

#include <memory>
#include <string>
#include <vector>

namespace albumora {
class CookieStore;
}

namespace albumora::cli {

// The process exit codes of albumora-cli, one enum for every command.
enum class ExitCode : int {
    Ok = 0,
    Failed = 1,  // the operation ran and failed (network, size limit, a site error)
    Usage = 2,   // the command line, an address or a value was wrong
    NoAlbums = 3,  // the address was usable but no album was found behind it
};

struct CliContext {
    std::string settingsFolder;      // resolved, ends in '/'
    CookieStore* cookies = nullptr;  // the process's cookie jar, kept in the settings folder
};

class CliCommand {
public:
    virtual ~CliCommand() = default;
    virtual const char* name() const = 0;
    virtual const char* synopsis() const = 0;  // "fetch URL [--output FILE] ..."
    virtual const char* summary() const = 0;   // one line for the help text
    virtual ExitCode Run(CliContext& context, const std::vector<std::string>& args) = 0;
};

// Every command of albumora-cli; the help text lists them in this order.
std::vector<std::unique_ptr<CliCommand>> MakeCommands();

}  // namespace albumora::cli
