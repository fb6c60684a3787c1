#include "cli/commands/DownloadCommand.h"

#include <cstdio>

#include "cli/AddressInput.h"
#include "cli/CliSettings.h"
#include "cli/SignalWatcher.h"
#include "cli/TerminalView.h"
#include "cli/commands/AddressRun.h"
#include "cli/commands/DownloadSummary.h"
#include "core/settings/PersistentSettings.h"
#include "core/settings/SettingsFolder.h"
#include "core/workflow/Messages.h"

namespace albumora::cli {

namespace {

// Tells how the download of one address ended and turns that into the address's exit code.
ExitCode FinishAddress(const AddressOutcome& outcome, bool signalled) {
    if (!outcome.download) {
        return ListExitCode(outcome.listing);
    }
    const DownloadRunResult& result = *outcome.download;
    if (result.error) {
        return ExitCode::Usage;
    }
    const bool stopped = signalled || result.stopped;
    PrintRunSummary(result, outcome.listing, stopped);
    if (stopped) {
        return ExitCode::Failed;
    }
    return result.Complete() && outcome.listing.complete ? ExitCode::Ok : ExitCode::Failed;
}

// The save folder given, else the last one used; empty when there is neither.
WString SaveFolderOf(const std::string& given, const PersistentSettings& settings) {
    if (!given.empty()) {
        return FromUtf8(AbsoluteFolder(given));
    }
    const auto history = HistoryTexts(settings, HistoryKind::SavePath);
    return history.empty() ? WString() : history.front();
}

}  // namespace

CLI::App* DownloadCommand::Define(CLI::App& app) {
    return DefineAlbumCommand(
        app, "download",
        "download the albums behind an address, or those of each address of an input file in turn,\n"
        "ending with one summary. Exit 0 when every address was downloaded completely, 1 when any\n"
        "failed or was incomplete, 2 for a usage error",
        true);
}

ExitCode DownloadCommand::Run(CliContext& context) {
    const LoadedSettings loaded = LoadCliSettings(context);
    const AlbumArgs parsed = CheckedArgs();
    if (!parsed.valid) {
        return ExitCode::Usage;
    }
    AddressRunOptions options;
    options.listOnly = false;
    options.albums = parsed.albums;
    options.newOnly = m_args.newOnly;
    options.saveFolder = SaveFolderOf(m_args.saveFolder, loaded.settings);
    if (options.saveFolder.empty()) {
        std::fprintf(stderr, "%s\n", ToUtf8(kMsgSetSaveFolder).c_str());
        return ExitCode::Usage;
    }
    const auto addresses = AddressesOf(parsed.address, parsed.inputFile);
    if (!addresses) {
        return ExitCode::Usage;
    }
    const bool batch = parsed.inputFile.has_value();
    // Row numbers name the albums of one listing; another address lists other albums.
    if (!parsed.albums.empty() && addresses->size() > 1) {
        std::fprintf(stderr,
                     "albumora-cli: --albums with numbers takes one address; the input file has %zu\n",
                     addresses->size());
        return ExitCode::Usage;
    }
    options.rememberSaveFolder = !m_args.saveFolder.empty();
    options.count = addresses->size();

    SignalWatcher stop;
    BatchSummary summary(addresses->size());
    for (std::size_t k = 0; k < addresses->size(); ++k) {
        const ListedAddress& listed = (*addresses)[k];
        if (stop.signalled()) {
            summary.NotStarted(listed);
            continue;
        }
        if (batch && !CheckAddress(listed)) {
            summary.Refused(listed);
            continue;
        }
        if (batch) {
            std::fprintf(stderr, "[%zu/%zu] %s\n", k + 1, addresses->size(),
                         Printable(listed.address).c_str());
        }
        options.index = k;
        const AddressOutcome outcome = RunAddress(context, listed.address, options, stop);
        // Once in the history is enough.
        options.rememberSaveFolder = false;
        const ExitCode code = FinishAddress(outcome, stop.signalled());
        if (!batch) {
            return code;
        }
        const bool downloaded = outcome.download && !outcome.download->error;
        summary.Add(listed, code == ExitCode::Ok, outcome.albums, downloaded ? &*outcome.download : nullptr);
    }
    summary.Print();
    return summary.allComplete() ? ExitCode::Ok : ExitCode::Failed;
}

}  // namespace albumora::cli
