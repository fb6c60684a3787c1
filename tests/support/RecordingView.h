#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/workflow/Workflow.h"
#include "core/workflow/WorkflowView.h"

namespace albumora::test {

// A view that records what the workers show and answers as a test tells it.
class RecordingView final : public WorkflowView {
public:
    WString address;
    WString saveFolder;
    bool answerYes = false;
    // Albums the download takes; all when unset.
    std::optional<std::set<int>> chosen;
    // Presses the download button when a single album was listed, as the window does.
    Workflow* workflow = nullptr;
    // Called on every progress text, on the caller's thread (a test may press stop from here).
    std::function<void(const WString&)> onProgress;

    void SetStatusText(StatusLine line, const WString& text) override;
    void SetGroupTitle(const WString& text) override;
    void ApplyControlState(ControlMoment moment, bool albumListEmpty) override;
    void ShowMessage(const WString& text) override;
    bool AskYesNo(const WString& text) override;
    void AddGridEntry(int position) override;
    void RefreshGrid() override {}
    void SelectAllAlbums() override;
    std::vector<int> ChosenAlbums() override;
    void StartDownload() override;
    void HistoryAdded(HistoryKind kind, const WString& text) override;
    WString AddressText() override { return address; }
    WString SaveFolderText() override { return saveFolder; }
    int AlbumKindSelection() override { return -1; }
    void ShowPictureProgress(unsigned done, unsigned total, unsigned failed) override;
    void ShowAlbumState(int, AlbumRunState, unsigned, unsigned, unsigned) override {}
    void AlbumFinished(unsigned elapsedSec, unsigned pictureCount, unsigned failedCount) override;
    void OpenFolder(const std::string& folder) override;

    std::vector<WString> messages() const;
    std::vector<WString> questions() const;
    std::vector<WString> statusTexts(StatusLine line) const;
    std::vector<int> gridEntries() const;
    std::vector<ControlMoment> moments() const;
    std::vector<std::string> openedFolders() const;
    std::vector<unsigned> albumFailures() const;
    struct PictureProgress {
        unsigned done;
        unsigned total;
        unsigned failed;
    };
    std::vector<PictureProgress> pictureProgress() const;
    int downloadsStarted() const;

private:
    mutable std::mutex m_mutex;
    std::vector<WString> m_messages;
    std::vector<WString> m_questions;
    std::vector<WString> m_main;
    std::vector<WString> m_progress;
    std::vector<int> m_grid;
    std::vector<ControlMoment> m_moments;
    std::vector<std::string> m_opened;
    std::vector<unsigned> m_albumFailures;
    std::vector<PictureProgress> m_pictureProgress;
    int m_downloadsStarted = 0;
};

}  // namespace albumora::test
