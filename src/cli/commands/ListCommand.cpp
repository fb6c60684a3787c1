#include "cli/commands/ListCommand.h"

#include <cstdio>

#include "cli/AddressInput.h"
#include "cli/SignalWatcher.h"
#include "cli/TerminalView.h"
#include "cli/commands/AddressRun.h"

namespace albumora::cli {

CLI::App* ListCommand::Define(CLI::App& app) {
    return DefineAlbumCommand(
        app, "list",
        "list the albums behind an address (number, name, count, note); with --input-file, those of\n"
        "each address of the file under a line \"# ADDRESS\"",
        false);
}

ExitCode ListCommand::Run(CliContext& context) {
    const AlbumArgs parsed = CheckedArgs();
    if (!parsed.valid) {
        return ExitCode::Usage;
    }
    const auto addresses = AddressesOf(parsed.address, parsed.inputFile);
    if (!addresses) {
        return ExitCode::Usage;
    }
    const bool batch = parsed.inputFile.has_value();
    bool failed = false;
    bool anyAlbum = false;
    SignalWatcher stop;
    for (const ListedAddress& listed : *addresses) {
        if (stop.signalled()) {
            failed = true;
            break;
        }
        if (batch && !CheckAddress(listed)) {
            failed = true;
            continue;
        }
        if (batch) {
            // The albums of each address under a line naming it.
            std::fprintf(stdout, "# %s\n", Printable(listed.address).c_str());
            std::fflush(stdout);
        }
        const AddressOutcome outcome = RunAddress(context, listed.address, AddressRunOptions{}, stop);
        const ExitCode code = ListExitCode(outcome.listing);
        if (!batch) {
            return code;
        }
        failed = failed || (code != ExitCode::Ok && code != ExitCode::NoAlbums);
        anyAlbum = anyAlbum || code == ExitCode::Ok;
    }
    if (failed) {
        return ExitCode::Failed;
    }
    return anyAlbum || addresses->empty() ? ExitCode::Ok : ExitCode::NoAlbums;
}

}  // namespace albumora::cli
