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
    const char* synopsis() const override { return "list ADDRESS"; }
    const char* summary() const override {
        return "list the albums behind a Huaban board or Duitang address (number, name, count, note)";
    }
    ExitCode Run(CliContext& context, const std::vector<std::string>& args) override;
};

// Lists, then downloads the chosen albums with the current site's settings.
class DownloadCommand final : public CliCommand {
public:
    const char* name() const override { return "download"; }
    const char* synopsis() const override { return "download ADDRESS [--save DIR] [--albums LIST]"; }
    const char* summary() const override {
        return "download the albums behind an address; LIST is 1-based, like 2,5-7, or all (the default)";
    }
    ExitCode Run(CliContext& context, const std::vector<std::string>& args) override;
};

// "all", or comma-separated 1-based numbers and ranges, into 0-based positions; nullopt when the
// text is not such a list. An empty set stands for all.
std::optional<std::set<int>> ParseAlbumList(const std::string& text);

}  // namespace albumora::cli
