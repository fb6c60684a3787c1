#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/workflow/SiteTable.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace albumora {
class CookieStore;
}

namespace albumora::cli {

// The process exit codes of albumora-cli, one enum for every command.
enum class ExitCode : int {
    Ok = 0,
    Failed = 1,    // the operation ran and failed (network, size limit, a site error)
    Usage = 2,     // the command line, an address or a value was wrong
    NoAlbums = 3,  // the address was usable but no album was found behind it
};

struct CliContext {
    std::string settingsFolder;      // resolved, ends in '/'
    CookieStore* cookies = nullptr;  // the process's cookie jar, kept in the settings folder
    // Which sites have moved to their present interface: a batch learns it once for all its
    // addresses.
    SiteInterfaces siteInterfaces;
};

// One command of albumora-cli. The parser reads its arguments into the command, then Run acts on
// them; what the parser cannot judge (an album list, which arguments go together) Run checks first.
class CliCommand {
public:
    virtual ~CliCommand() = default;
    // Adds the command with its options and arguments under `app`; returns the command's parser.
    virtual CLI::App* Define(CLI::App& app) = 0;
    virtual ExitCode Run(CliContext& context) = 0;
};

// Every command of albumora-cli; the help text lists them in this order.
std::vector<std::unique_ptr<CliCommand>> MakeCommands();

}  // namespace albumora::cli
