#include "cli/commands/AddressRun.h"

#include "cli/CliSettings.h"
#include "cli/SignalWatcher.h"
#include "cli/TerminalView.h"

namespace albumora::cli {

AddressOutcome RunAddress(CliContext& context, const WString& address, const AddressRunOptions& options,
                          SignalWatcher& stop) {
    // Read again for every address: the one before may have added to the histories.
    const LoadedSettings loaded = LoadCliSettings(context);
    TerminalView view(address, options.saveFolder, options.listOnly);
    view.SetBatchPosition(options.index, options.count);
    Workflow workflow(view, context.settingsFolder, context.cookies);
    workflow.ShareSiteInterfaces(context.siteInterfaces);
    workflow.ResetSettings(loaded.settings);
    if (options.newOnly) {
        workflow.ForceRunOptions(OPT_SKIP_DOWNLOADED);
    }
    view.Attach(&workflow);
    if (!options.albums.empty()) {
        view.ChooseAlbums(options.albums);
    }
    if (options.rememberSaveFolder) {
        workflow.RememberHistory(HistoryKind::SavePath, options.saveFolder);
    }
    workflow.MarkReady();

    AddressOutcome outcome;
    const WatchedWorkflow watched(stop, workflow);
    workflow.OnListButton();
    workflow.WaitForWorkers();
    outcome.albums = workflow.albums.size();
    outcome.listing = workflow.lastListResult();
    if (options.listOnly || outcome.albums == 0) {
        return outcome;
    }
    // A single board or album asks for its download when listed, anything else is downloaded as
    // chosen: either way this thread presses the button, as the window's does. After Ctrl-C the
    // workflow starts nothing.
    workflow.OnDownloadButton();
    workflow.WaitForWorkers();
    outcome.download = workflow.lastRunResult();
    return outcome;
}

ExitCode ListExitCode(const ListRunResult& result) {
    if (result.addressProblem) {
        return ExitCode::Usage;
    }
    if (result.stopped || !result.complete) {
        return ExitCode::Failed;
    }
    return result.albums > 0 ? ExitCode::Ok : ExitCode::NoAlbums;
}

}  // namespace albumora::cli
