#pragma once

#include <string>
#include <vector>

#include "core/settings/PersistentSettings.h"
#include "core/text/WideText.h"

namespace albumora {

// The two status lines under the grid.
enum class StatusLine {
    Main,      // what the program is doing
    Progress,  // counts of the album at work
};

// The four moments at which the workers switch the controls of the window.
enum class ControlMoment {
    ListStarts,
    ListEnds,
    DownloadStarts,
    DownloadEnds,
};

// Where an album of a download run stands.
enum class AlbumRunState {
    Waiting,      // chosen, its turn has not come
    Collecting,   // its pictures are being listed
    Downloading,  // its pictures are being fetched: `done` of `total`, `failed` of them lost
    Done,         // every picture saved (or kept out by the size limits, as asked)
    Failed,       // `failed` pictures could not be saved
    Incomplete,   // its pictures could not all be listed
    Stopped,      // a stop came before it was done
};

// Everything the workers show or ask goes through this interface, so that the core never touches
// a widget. The workers call it from their own threads: a window implementation queues each call
// onto its interface thread, and the calls that return a value wait for it.
class WorkflowView {
public:
    virtual ~WorkflowView() = default;

    virtual void SetStatusText(StatusLine line, const WString& text) = 0;
    // The album group's title: the album count once a list fetch ends.
    virtual void SetGroupTitle(const WString& text) = 0;
    // The controls of `moment`; the download button stays disabled after a list fetch when
    // `albumListEmpty`.
    virtual void ApplyControlState(ControlMoment moment, bool albumListEmpty) = 0;
    virtual void ShowMessage(const WString& text) = 0;
    // Yes/no question; blocks the calling worker until answered.
    virtual bool AskYesNo(const WString& text) = 0;

    // A new album record at `position` is to be shown (row or thumbnail cell).
    virtual void AddGridEntry(int position) = 0;
    virtual void RefreshGrid() = 0;
    // Selects every album of the grid, as the select-all box does.
    virtual void SelectAllAlbums() = 0;
    // Positions of the selected albums, in grid order.
    virtual std::vector<int> ChosenAlbums() = 0;
    // Presses the download button: a single-album list fetch downloads at once.
    virtual void StartDownload() = 0;

    // A text was remembered in a history list and belongs into its box's list now.
    virtual void HistoryAdded(HistoryKind kind, const WString& text) = 0;

    virtual WString AddressText() = 0;
    virtual WString SaveFolderText() = 0;
    // The album kind selector's position, or -1 while it is hidden.
    virtual int AlbumKindSelection() = 0;

    // The album at work: `done` of its `total` pictures have finished, `failed` of them without being
    // saved. Called with done 0 when its pictures start, then each time the count changes.
    virtual void ShowPictureProgress(unsigned done, unsigned total, unsigned failed) = 0;
    // An album's pictures have all finished (or the run was stopped) after `elapsedSec` seconds.
    virtual void AlbumFinished(unsigned elapsedSec, unsigned pictureCount, unsigned failedCount) = 0;
    // Album `position` of the run has reached `state`. Waiting for every chosen album when the run
    // starts, then each album's way through the others.
    virtual void ShowAlbumState(int position, AlbumRunState state, unsigned done, unsigned total,
                                unsigned failed) = 0;
    // "Open the folder when done".
    virtual void OpenFolder(const std::string& folder) = 0;
};

}  // namespace albumora
