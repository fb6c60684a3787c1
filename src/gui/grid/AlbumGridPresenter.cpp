#include "gui/grid/AlbumGridPresenter.h"

#include <QImage>
#include <QItemSelectionModel>
#include <QPixmap>
#include <system_error>

#include "core/workflow/Workflow.h"
#include "gui/GridFindTarget.h"
#include "gui/QtText.h"
#include "gui/RunOnThreadOf.h"
#include "gui/grid/CMyGridCtrl.h"
#include "gui/grid/CoverPool.h"

namespace albumora::gui {

namespace {

// An album at work: its pictures being listed or fetched.
const QColor kWorkingColour(0, 120, 215);

// A rebuild on its own thread lets the window paint its progress every so many albums.
constexpr std::size_t kRefreshEvery = 10;

QString CountText(unsigned done, unsigned total) {
    return QStringLiteral("%1/%2").arg(done).arg(total);
}

}  // namespace

AlbumGridPresenter::AlbumGridPresenter(CMyGridCtrl& grid, Workflow& workflow)
    : m_grid(grid),
      m_workflow(workflow),
      m_findTarget(
          std::make_unique<GridFindTarget>(grid, [this](const QString& keyword) { ApplyFilter(keyword); })),
      m_covers(std::make_unique<CoverPool>(workflow, kThumbnailSize, grid.devicePixelRatioF(),
                                           [this](CoverPool::Cover cover) {
                                               RunOnThreadOf(this, [this, cover = std::move(cover)] {
                                                   ShowCover(cover.position, cover.url, cover.image);
                                               });
                                           })) {
    SetUpGrid();
}

AlbumGridPresenter::~AlbumGridPresenter() {
    StopRebuild();
}

FindTarget& AlbumGridPresenter::findTarget() {
    return *m_findTarget;
}

// --- the grid's set-up and entries ---

void AlbumGridPresenter::SetUpGrid() {
    ++m_gridGeneration;
    if (m_thumbnails) {
        m_grid.SetUpThumbnailView(kThumbnailSize);
    } else {
        m_grid.SetUpListView();
    }
    // Sorting by rating moves albums to other positions; their states go with them.
    ReapplyAlbumStates();
    // Every new set-up shows all albums until a filter is applied to it.
    emit filterShown(QString());
    emit everyAlbumSelected(false);
    // Ctrl+A, or clicks that happen to take every album, count as all selected too, and any
    // narrower selection does not. Each view set-up brings a new selection model.
    connect(m_grid.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AlbumGridPresenter::ReflectSelection, Qt::UniqueConnection);
}

void AlbumGridPresenter::ReflectSelection() {
    const std::size_t count = m_workflow.albums.size();
    emit everyAlbumSelected(count > 0 && m_grid.ChosenAlbums(count).size() == count);
}

void AlbumGridPresenter::ShowListedAlbum(int position) {
    QueueEntry(m_gridGeneration, position);
}

void AlbumGridPresenter::QueueEntry(int generation, int position) {
    RunOnThreadOf(this, [this, generation, position] { ShowEntry(generation, position); });
    if (m_thumbnails) {
        if (const auto album = m_workflow.albums.AlbumAt(static_cast<size_t>(position));
            album && album->thumbIndex < 0 && !album->coverUrl.empty()) {
            m_covers->Request(position, album->coverUrl);
        }
    }
}

void AlbumGridPresenter::ShowEntry(int generation, int position) {
    if (generation != m_gridGeneration) {
        return;
    }
    const auto album = m_workflow.albums.AlbumAt(static_cast<size_t>(position));
    if (!album) {
        return;
    }
    if (m_grid.thumbnailView()) {
        m_grid.PlaceThumbnail(position, *album);
    } else {
        m_grid.AddAlbumRow(position, *album, m_filterText);
    }
}

void AlbumGridPresenter::ShowCover(int position, const WString& url, const QImage& cover) {
    auto album = m_workflow.albums.AlbumAt(static_cast<size_t>(position));
    if (cover.isNull() || !album || album->coverUrl != url || album->thumbIndex >= 0) {
        return;
    }
    album->thumbIndex = m_grid.AddImage(QPixmap::fromImage(cover));
    m_workflow.albums.SetThumbIndex(static_cast<size_t>(position), album->thumbIndex);
    if (m_grid.thumbnailView()) {
        m_grid.PlaceThumbnail(position, *album);
    }
}

void AlbumGridPresenter::Refresh() {
    RunOnThreadOf(this, [this] { m_grid.viewport()->update(); });
}

// --- rebuilds ---

void AlbumGridPresenter::ClearForNewList() {
    StopRebuild();
    SetUpGrid();
    m_grid.ClearImages();
}

void AlbumGridPresenter::SwitchView(bool thumbnails) {
    m_viewState = ViewState::Rebuilding;
    m_thumbnails = thumbnails;
    SetUpGrid();
    StartRebuildThread();
}

void AlbumGridPresenter::RebuildNow() {
    SetUpGrid();
    // The window's thread never waits for the network: these rows show the covers already here.
    for (size_t p = 0; p < m_workflow.albums.size(); ++p) {
        ShowEntry(m_gridGeneration, static_cast<int>(p));
    }
    FinishRebuild();
}

void AlbumGridPresenter::StartRebuildThread() {
    JoinRebuildThread();
    try {
        m_rebuildThread =
            std::thread([this, generation = m_gridGeneration.load()] { RebuildLoop(generation); });
    } catch (const std::system_error&) {
        m_viewState = ViewState::Idle;
    }
}

void AlbumGridPresenter::RebuildLoop(int generation) {
    for (size_t p = 0; p < m_workflow.albums.size() && m_viewState != ViewState::StopRequested; ++p) {
        QueueEntry(generation, static_cast<int>(p));
        if (p % kRefreshEvery == 0) {
            Refresh();
        }
    }
    // The view is built when its covers are in; a stop cancels them.
    if (m_viewState != ViewState::StopRequested) {
        m_covers->WaitUntilIdle();
    }
    Refresh();
    RunOnThreadOf(this, [this] { FinishRebuild(); });
}

void AlbumGridPresenter::FinishRebuild() {
    m_viewState = ViewState::Idle;
    // A filter holds for one rebuild.
    m_filterText.clear();
}

void AlbumGridPresenter::RequestRebuildStop() {
    ViewState rebuilding = ViewState::Rebuilding;
    m_viewState.compare_exchange_strong(rebuilding, ViewState::StopRequested);
    m_covers->Cancel();
}

void AlbumGridPresenter::StopRebuild() {
    RequestRebuildStop();
    JoinRebuildThread();
    m_viewState = ViewState::Idle;
}

void AlbumGridPresenter::JoinRebuildThread() {
    if (m_rebuildThread.joinable()) {
        m_rebuildThread.join();
    }
}

// --- orders, filter and selection ---

void AlbumGridPresenter::SortByRating() {
    if (m_viewState != ViewState::Idle) {
        return;
    }
    m_ratingDescending = !m_ratingDescending;
    m_workflow.albums.SortByRating(m_ratingDescending);
    RebuildNow();
    emit ratingOrderShown(m_ratingDescending);
}

void AlbumGridPresenter::RestoreListOrder() {
    if (m_viewState != ViewState::Idle) {
        return;
    }
    m_workflow.albums.SortByListIndex();
    RebuildNow();
}

void AlbumGridPresenter::ApplyFilter(const QString& keyword) {
    if (m_viewState != ViewState::Idle) {
        return;
    }
    m_filterText = Trimmed(ToWString(keyword));
    const QString shown = ToQString(m_filterText);
    RebuildNow();
    emit filterShown(shown);
}

void AlbumGridPresenter::SelectAll() {
    m_grid.SelectAllCells();
}

void AlbumGridPresenter::ClearSelection() {
    m_grid.ClearSelectionAndFocus();
}

std::vector<int> AlbumGridPresenter::ChosenAlbums() const {
    return m_grid.ChosenAlbums(m_workflow.albums.size());
}

// --- album states in a run ---

void AlbumGridPresenter::ForgetRunStates() {
    m_albumStates.clear();
    m_grid.ClearDataStates();
    m_albumAtWork = -1;
}

void AlbumGridPresenter::ShowAlbumState(int position, AlbumRunState state, unsigned done, unsigned total,
                                        unsigned failed) {
    switch (state) {
        case AlbumRunState::Waiting:
            SetAlbumState(position, {QStringLiteral("等待"), QColor(128, 128, 128)});
            break;
        case AlbumRunState::Collecting:
            m_albumAtWork = position;
            SetAlbumState(position, {QStringLiteral("获取中"), kWorkingColour});
            break;
        case AlbumRunState::Downloading:
            m_albumAtWork = position;
            SetAlbumState(position, {CountText(done, total), kWorkingColour});
            break;
        case AlbumRunState::Done:
            SetAlbumState(position, {QStringLiteral("完成"), QColor(46, 139, 87)});
            break;
        case AlbumRunState::Failed:
            SetAlbumState(position, {QStringLiteral("%1张失败").arg(failed), QColor(200, 40, 40)});
            break;
        case AlbumRunState::Incomplete:
            SetAlbumState(position, {QStringLiteral("不完整"), QColor(214, 120, 0)});
            break;
        case AlbumRunState::Stopped:
            SetAlbumState(position, {QStringLiteral("已终止"), QColor(100, 100, 100)});
            break;
    }
}

void AlbumGridPresenter::ShowAlbumProgress(unsigned done, unsigned total) {
    if (m_albumAtWork >= 0 && done < total) {
        SetAlbumState(m_albumAtWork, {CountText(done, total), kWorkingColour});
    }
}

void AlbumGridPresenter::SetAlbumState(int position, const AlbumStateShown& state) {
    const auto album = m_workflow.albums.AlbumAt(static_cast<size_t>(position));
    if (!album) {
        return;
    }
    m_albumStates[album->listIndex] = state;
    m_grid.SetDataState(position, state.text, state.colour);
}

void AlbumGridPresenter::ReapplyAlbumStates() {
    m_grid.ClearDataStates();
    if (m_albumStates.empty()) {
        return;
    }
    for (size_t p = 0; p < m_workflow.albums.size(); ++p) {
        const auto album = m_workflow.albums.AlbumAt(p);
        if (const auto state = album ? m_albumStates.find(album->listIndex) : m_albumStates.end();
            state != m_albumStates.end()) {
            m_grid.SetDataState(static_cast<int>(p), state->second.text, state->second.colour);
        }
    }
}

}  // namespace albumora::gui
