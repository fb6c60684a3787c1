#pragma once

#include <optional>
#include <set>
#include <string>

#include "cli/CliCommand.h"
#include "core/text/WideText.h"

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

// The address and the album list as the commands use them.
struct AlbumArgs {
    WString address;
    std::optional<std::string> inputFile;  // "-": standard input
    std::set<int> albums;                  // empty: all
    bool valid = true;
};

// A command that works through the albums behind an address, or behind each address of a file:
// what list and download take alike.
class AlbumCommand : public CliCommand {
protected:
    // Adds the command with what both take, and with `download` the options of a download.
    CLI::App* DefineAlbumCommand(CLI::App& app, const char* name, const char* description, bool download);
    // The arguments checked; not valid, with the reason told, when they do not go together.
    AlbumArgs CheckedArgs() const;

    AlbumCommandArgs m_args;
};

}  // namespace albumora::cli
