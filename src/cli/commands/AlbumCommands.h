#pragma once

#include <optional>
#include <set>
#include <string>

#include "cli/CliCommand.h"

namespace albumora::cli {

// Lists the albums behind an address, one tab-separated row per album.
class ListCommand final : public CliCommand {
public:
    const char* name() const override { return "list"; }
    const char* synopsis() const override { return "list ADDRESS | list --input-file FILE"; }
    const char* summary() const override {
        return "list the albums behind a Huaban board or Duitang address (number, name, count, note);\n"
               "with -i/--input-file FILE (- for standard input), those of each address in the file, one a\n"
               "line (blank lines and lines starting with # are skipped), under a line \"# ADDRESS\"";
    }
    ExitCode Run(CliContext& context, const std::vector<std::string>& args) override;
};

// Lists, then downloads the chosen albums with the current site's settings.
class DownloadCommand final : public CliCommand {
public:
    const char* name() const override { return "download"; }
    const char* synopsis() const override {
        return "download ADDRESS | --input-file FILE [--save DIR] [--albums LIST] [--new-only]";
    }
    const char* summary() const override {
        return "download the albums behind an address; LIST is 1-based, like 2,5-7, or all (the default).\n"
               "-i/--input-file FILE (- for standard input) downloads each address of the file in turn, one\n"
               "a line (blank lines and lines starting with # are skipped), and ends with one summary;\n"
               "--albums with numbers then needs a file of one address. --new-only fetches only what the\n"
               "site lists before each album's last complete download, for this run (the saved setting\n"
               "\"skip-downloaded\" stays as it is). Exit 0 when every address was downloaded completely";
    }
    ExitCode Run(CliContext& context, const std::vector<std::string>& args) override;
};

// "all", or comma-separated 1-based numbers and ranges, into 0-based positions; nullopt when the
// text is not such a list. An empty set stands for all.
std::optional<std::set<int>> ParseAlbumList(const std::string& text);

}  // namespace albumora::cli
