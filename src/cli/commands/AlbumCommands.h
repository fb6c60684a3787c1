#pragma once

#include <optional>
#include <set>
#include <string>

#include "cli/CliCommand.h"

namespace albumora::cli {

// What the two album commands are given on the command line, as the parser leaves it.
struct AlbumCommandArgs {
    std::string address;
    std::string inputFile;  // "-": standard input
    std::string saveFolder;
    std::string albums;
    bool newOnly = false;
    // Whether the option was given at all: an empty value given is an error, not a default.
    CLI::Option* inputFileOption = nullptr;
    CLI::Option* albumsOption = nullptr;
};

// Lists the albums behind an address, one tab-separated row per album.
class ListCommand final : public CliCommand {
public:
    CLI::App* Define(CLI::App& app) override;
    ExitCode Run(CliContext& context) override;

private:
    AlbumCommandArgs m_args;
};

// Lists, then downloads the chosen albums with the current site's settings.
class DownloadCommand final : public CliCommand {
public:
    CLI::App* Define(CLI::App& app) override;
    ExitCode Run(CliContext& context) override;

private:
    AlbumCommandArgs m_args;
};

// "all", or comma-separated 1-based numbers and ranges, into 0-based positions; nullopt when the
// text is not such a list. An empty set stands for all.
std::optional<std::set<int>> ParseAlbumList(const std::string& text);

}  // namespace albumora::cli
