#pragma once

#include <cstddef>
#include <optional>
#include <set>

#include "cli/CliCommand.h"
#include "core/workflow/Workflow.h"

namespace albumora::cli {

class SignalWatcher;

// How one address is worked through.
struct AddressRunOptions {
    // Only list, with the rows on standard output; otherwise download the chosen albums once listed.
    bool listOnly = true;
    WString saveFolder;
    std::set<int> albums;  // empty: all
    bool newOnly = false;
    bool rememberSaveFolder = false;  // a folder given on the command line joins the history
    // The address is number `index` (from 0) of `count` in a batch.
    std::size_t index = 0;
    std::size_t count = 1;
};

// What one address came to.
struct AddressOutcome {
    std::size_t albums = 0;
    ListRunResult listing;
    // Set when the download button was pressed: the address had albums and was not only listed.
    std::optional<DownloadRunResult> download;
};

// Lists `address` with a workflow of its own on the terminal, as the window's list button does, and
// then, unless only listing, presses the download button; a signal caught by `stop` stops it.
AddressOutcome RunAddress(CliContext& context, const WString& address, const AddressRunOptions& options,
                          SignalWatcher& stop);

// 1 for a listing that failed or stopped short (an unreachable site is no empty user), 3 only when
// the site answered and there is no album.
ExitCode ListExitCode(const ListRunResult& result);

}  // namespace albumora::cli
