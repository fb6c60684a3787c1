#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/CliCommand.h"
#include "core/net/CookieStore.h"
#include "core/settings/SettingsFolder.h"

using albumora::cli::ExitCode;

int main(int argc, char** argv) {
    const auto commands = albumora::cli::MakeCommands();
    CLI::App app("albumora-cli: download whole picture albums from Huaban and Duitang", "albumora-cli");
    // An option given twice takes its last value, as a script that appends an override expects.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.set_version_flag("--version", "albumora-cli " ALBUMORA_VERSION, "print the version and exit");
    std::string settingsDir;
    app.add_option(
           "--settings-dir", settingsDir,
           "the folder of soft.dat, cookies.txt and the cover cache\n(default: as the window finds it)")
        ->type_name("DIR");
    app.require_subcommand(0, 1);
    // The global options may also follow the command.
    app.fallthrough();
    CLI::App* help = app.add_subcommand("help", "show this text")->allow_extras();
    std::vector<CLI::App*> parsers;
    for (const auto& command : commands) {
        parsers.push_back(command->Define(app));
    }
    // The whole text at once, every command with its options: the program has only a few.
    const auto printWholeHelp = [&] {
        std::cout << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::All);
    };
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        if (app.get_subcommands().empty()) {
            printWholeHelp();
            return static_cast<int>(ExitCode::Ok);
        }
        app.exit(e);
        return static_cast<int>(ExitCode::Ok);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return static_cast<int>(code == 0 ? ExitCode::Ok : ExitCode::Usage);
    }
    if (app.get_subcommands().empty() || help->parsed()) {
        printWholeHelp();
        return static_cast<int>(ExitCode::Ok);
    }
    for (std::size_t k = 0; k < commands.size(); ++k) {
        if (!parsers[k]->parsed()) {
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
        return static_cast<int>(commands[k]->Run(context));
    }
    return static_cast<int>(ExitCode::Usage);
}
