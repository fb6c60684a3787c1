#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliCommand.h"
#include "core/net/CookieStore.h"
#include "core/settings/SettingsFolder.h"

using albumora::cli::ExitCode;

namespace {

void PrintUsage(std::FILE* out, const std::vector<std::unique_ptr<albumora::cli::CliCommand>>& commands) {
    std::fputs(
        "albumora-cli: download whole picture albums from Huaban and Duitang\n"
        "\n"
        "Usage: albumora-cli [--settings-dir DIR] COMMAND [ARGS]\n"
        "       albumora-cli --version\n"
        "\n"
        "Commands:\n"
        "  help\n"
        "      show this text\n",
        out);
    for (const auto& command : commands) {
        std::fprintf(out, "  %s\n", command->synopsis());
        // A summary of several lines keeps its indent on each.
        const std::string_view summary = command->summary();
        for (size_t start = 0; start < summary.size();) {
            const size_t end = std::min(summary.find('\n', start), summary.size());
            std::fprintf(out, "      %.*s\n", static_cast<int>(end - start), summary.data() + start);
            start = end + 1;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const auto commands = albumora::cli::MakeCommands();
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string settingsDir;
    size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--settings-dir" && i + 1 < args.size()) {
            settingsDir = args[++i];
        } else if (args[i] == "--help") {
            PrintUsage(stdout, commands);
            return static_cast<int>(ExitCode::Ok);
        } else if (args[i] == "--version") {
            std::printf("albumora-cli %s\n", ALBUMORA_VERSION);
            return static_cast<int>(ExitCode::Ok);
        } else {
            std::fprintf(stderr, "albumora-cli: unknown option '%s'\n\n", args[i].c_str());
            PrintUsage(stderr, commands);
            return static_cast<int>(ExitCode::Usage);
        }
    }
    if (i == args.size() || args[i] == "help" || args[i] == "-h") {
        PrintUsage(stdout, commands);
        return static_cast<int>(ExitCode::Ok);
    }
    for (const auto& command : commands) {
        if (args[i] != command->name()) {
            continue;
        }
        albumora::cli::CliContext context;
        context.settingsFolder = albumora::ResolveSettingsFolder(settingsDir);
        if (context.settingsFolder.empty()) {
            std::fprintf(stderr, "albumora-cli: cannot create the settings folder\n");
            return static_cast<int>(ExitCode::Failed);
        }
        albumora::CookieStore cookies(context.settingsFolder + "cookies.txt");
        context.cookies = &cookies;
        const std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
        return static_cast<int>(command->Run(context, rest));
    }
    std::fprintf(stderr, "albumora-cli: unknown command '%s'\n\n", args[i].c_str());
    PrintUsage(stderr, commands);
    return static_cast<int>(ExitCode::Usage);
}
