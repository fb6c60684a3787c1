#pragma once

#include <QColor>
#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/text/WideText.h"
#include "core/workflow/WorkflowView.h"

class QImage;

namespace albumora {
class Workflow;
}

namespace albumora::gui {

class CMyGridCtrl;
class CoverPool;
class FindTarget;
class GridFindTarget;

// Where a rebuild of the grid stands. The rebuild thread reads it; the window's thread writes it, and
// a closing window asks the rebuild to stop from there too.
enum class ViewState : std::uint8_t { Idle, Rebuilding, StopRequested };

// Runs the album grid for the main window: its rows or thumbnail cells, the covers, the filter, the
// rating and list orders, the rebuilds, and the albums' states in a run. The window keeps the
// controls around the grid and hears through the signals what they should show.
//
// Its state belongs to the window's thread. The calls marked "any thread" queue their work there;
// every other call is made on the window's thread.
class AlbumGridPresenter final : public QObject {
    Q_OBJECT

public:
    static constexpr QSize kThumbnailSize{113, 120};

    // Shows the workflow's album list in `grid`; the covers are fetched with the workflow's requests
    // into its settings folder. Both must outlive the presenter.
    AlbumGridPresenter(CMyGridCtrl& grid, Workflow& workflow);
    ~AlbumGridPresenter() override;

    // --- any thread ---
    // The list worker has added the album at `position`: it is shown in the grid's present set-up,
    // and in the thumbnail view its cover is fetched.
    void ShowListedAlbum(int position);
    void Refresh();
    ViewState viewState() const { return m_viewState; }
    bool showsThumbnails() const { return m_thumbnails; }

    // --- the window's thread ---
    // The keyword of the filter that is on; empty for none.
    const WString& filterText() const { return m_filterText; }
    // What the find and filter boxes see of the grid.
    FindTarget& findTarget();

    // A new list is about to fill the grid: the rebuild stops, the grid is set up empty and the
    // covers go.
    void ClearForNewList();
    // Builds the grid again in the thumbnail or the list view, on a thread of its own.
    void SwitchView(bool thumbnails);
    // Asks a rebuild to stop without waiting for it; the state turns Idle once it has.
    void RequestRebuildStop();
    // Stops a rebuild and the covers, and waits for both.
    void StopRebuild();

    // The orders and the filter: each does nothing during a rebuild.
    void SortByRating();
    void RestoreListOrder();
    // The grid is built again with the albums whose names contain `keyword`, for this rebuild only.
    void ApplyFilter(const QString& keyword);

    void SelectAll();
    void ClearSelection();
    // Positions of the selected albums, in grid order.
    std::vector<int> ChosenAlbums() const;

    // --- album states in a run ---
    // A new list or download: the last run's states are no longer shown.
    void ForgetRunStates();
    void ShowAlbumState(int position, AlbumRunState state, unsigned done, unsigned total, unsigned failed);
    // The picture count of the album at work.
    void ShowAlbumProgress(unsigned done, unsigned total);
    void EndRun() { m_albumAtWork = -1; }

signals:
    // Every set-up of the grid shows all albums (an empty keyword); a filter then names its keyword.
    void filterShown(const QString& keyword);
    // Whether every album is selected, however the selection was made; false after each set-up.
    void everyAlbumSelected(bool all);
    // The albums were sorted by rating, from the highest when `descending`.
    void ratingOrderShown(bool descending);

private:
    struct AlbumStateShown {
        QString text;
        QColor colour;
    };

    // Lays the grid out for the current view.
    void SetUpGrid();
    void ReflectSelection();
    // Queues album `position` for the set-up `generation`; in the thumbnail view a cover the album
    // lacks is fetched.
    void QueueEntry(int generation, int position);
    // Shows album `position`; an entry meant for an earlier set-up of the grid is dropped.
    void ShowEntry(int generation, int position);
    // A cover has arrived: it goes to its album, unless the album at its position has changed.
    void ShowCover(int position, const WString& url, const QImage& cover);
    // Builds the rows again on the window's thread (sorts and filter).
    void RebuildNow();
    void StartRebuildThread();
    void RebuildLoop(int generation);
    void FinishRebuild();
    void JoinRebuildThread();

    // Shows album `position`'s state and remembers it for the grid's next set-up.
    void SetAlbumState(int position, const AlbumStateShown& state);
    // Puts the remembered states on the albums' present positions.
    void ReapplyAlbumStates();

    CMyGridCtrl& m_grid;
    Workflow& m_workflow;
    std::unique_ptr<GridFindTarget> m_findTarget;
    std::atomic<ViewState> m_viewState{ViewState::Idle};
    std::atomic<bool> m_thumbnails{false};
    // Counts the set-ups of the grid.
    std::atomic<int> m_gridGeneration{0};
    WString m_filterText;
    bool m_ratingDescending = false;
    // The states of the last run's albums by their list index, which sorting keeps; the album whose
    // pictures are at work.
    std::unordered_map<int, AlbumStateShown> m_albumStates;
    int m_albumAtWork = -1;
    std::thread m_rebuildThread;
    // Last, so that its threads, which hand covers to this object, end first.
    std::unique_ptr<CoverPool> m_covers;
};

}  // namespace albumora::gui
