#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "core/workflow/Workflow.h"
#include "core/workflow/WorkflowView.h"

namespace albumora::cli {

// `text` as UTF-8 fit for a terminal: control characters (C0 but tab and line feed, DEL, C1, whose
// U+009B starts a terminal command) become U+FFFD, so that no text from a site can move the cursor,
// clear the screen or retitle the window.
std::string Printable(WStringView text);

// The workers' view on a terminal: status texts and messages on standard error, the progress as one
// live line when standard error is a terminal. When only listing, album rows go to standard output
// and a single album's automatic download is not started; when downloading, rows go to standard
// error, and the command presses the download button when the list has ended.
class TerminalView final : public WorkflowView {
public:
    TerminalView(WString address, WString saveFolder, bool listOnly);

    // Set before the workers start; the view presses the download button through it.
    void Attach(Workflow* workflow) { m_workflow = workflow; }

    // The address at work is number `index` (from 0) of `count`; a batch's live line says so.
    void SetBatchPosition(std::size_t index, std::size_t count);

    // Positions the download takes; all albums when never set.
    void ChooseAlbums(std::set<int> positions);
    unsigned messagesShown() const { return m_messagesShown; }

    void SetStatusText(StatusLine line, const WString& text) override;
    void SetGroupTitle(const WString&) override {}
    void ApplyControlState(ControlMoment, bool) override {}
    void ShowMessage(const WString& text) override;
    bool AskYesNo(const WString& text) override;
    void AddGridEntry(int position) override;
    void RefreshGrid() override {}
    void SelectAllAlbums() override;
    std::vector<int> ChosenAlbums() override;
    // The command's own thread presses the download button once the list has ended, as the
    // window's thread does: the list worker never starts the download worker.
    void StartDownload() override {}
    void HistoryAdded(HistoryKind, const WString&) override {}
    WString AddressText() override { return m_address; }
    WString SaveFolderText() override { return m_saveFolder; }
    int AlbumKindSelection() override { return -1; }
    void ShowPictureProgress(unsigned done, unsigned total, unsigned failed) override;
    // The summary names the albums that did not end well; the terminal shows no table.
    void ShowAlbumState(int, AlbumRunState, unsigned, unsigned, unsigned) override {}
    void AlbumFinished(unsigned elapsedSec, unsigned pictureCount, unsigned failedCount) override;
    void OpenFolder(const std::string& folder) override;

private:
    // Ends a live line before other output.
    void EndLiveLineLocked();

    Workflow* m_workflow = nullptr;
    const WString m_address;
    const WString m_saveFolder;
    const bool m_listOnly;
    const bool m_liveProgress;

    std::mutex m_mutex;
    bool m_liveLineOpen = false;
    // While an album's pictures download, its counts line stands for the coarser progress texts.
    bool m_picturesRunning = false;
    std::chrono::steady_clock::time_point m_picturesStarted;
    std::chrono::steady_clock::time_point m_lastDrawn;
    std::set<int> m_chosen;     // empty: every album
    std::string m_batchPrefix;  // "[2/5] " while a batch of several addresses runs
    std::atomic<unsigned> m_messagesShown{0};
};

}  // namespace albumora::cli
