#include "cli/commands/AlbumCommand.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/AlbumSelection.h"

namespace albumora::cli {

CLI::App* AlbumCommand::DefineAlbumCommand(CLI::App& app, const char* name, const char* description,
                                           bool download) {
    CLI::App& command = *app.add_subcommand(name, description);
    command.add_option("address", m_args.address, "a Huaban board or Duitang address")->type_name("");
    m_args.inputFileOption = command
                                 .add_option("-i,--input-file", m_args.inputFile,
                                             "the addresses of FILE (- for standard input), one a line;\n"
                                             "blank lines and lines starting with # are skipped")
                                 ->type_name("FILE");
    if (!download) {
        return &command;
    }
    command.add_option("--save", m_args.saveFolder, "the save folder (default: the last one used)")
        ->type_name("DIR");
    m_args.albumsOption =
        command
            .add_option("--albums", m_args.albums,
                        "the albums to download, 1-based, like 2,5-7, or all (the default);\n"
                        "numbers need one address")
            ->type_name("LIST");
    command.add_flag("--new-only", m_args.newOnly,
                     "fetch only what the site lists before each album's last complete\n"
                     "download, for this run (the saved setting skip-downloaded stays as it is)");
    return &command;
}

AlbumArgs AlbumCommand::CheckedArgs() const {
    AlbumArgs parsed;
    parsed.address = Trimmed(FromUtf8(m_args.address));
    if (m_args.inputFileOption->count() > 0) {
        parsed.inputFile = m_args.inputFile;
    }
    if (m_args.albumsOption != nullptr && m_args.albumsOption->count() > 0) {
        const auto list = ParseAlbumList(m_args.albums);
        if (!list) {
            std::fprintf(stderr, "albumora-cli: --albums takes numbers and ranges like 2,5-7, or all\n");
            parsed.valid = false;
        } else {
            parsed.albums = *list;
        }
    }
    if (!m_args.address.empty() && parsed.inputFile) {
        std::fprintf(stderr, "albumora-cli: give an address or --input-file, not both\n");
        parsed.valid = false;
    } else if (m_args.address.empty() && !parsed.inputFile) {
        std::fprintf(stderr, "albumora-cli: an address (or --input-file FILE) is needed\n");
        parsed.valid = false;
    }
    return parsed;
}

}  // namespace albumora::cli
