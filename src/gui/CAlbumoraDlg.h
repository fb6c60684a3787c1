#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "core/util/Clock.h"
#include "core/workflow/Workflow.h"
#include "core/workflow/WorkflowView.h"
#include "gui/UiCallGate.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;

namespace albumora {
class CookieStore;
}

namespace albumora::gui {

class CComboBox2;
class CDlgFind;
class GridFindTarget;
class CMyGridCtrl;
class CoverPool;
class LinkLabel;
class LoginMenu;

// Where a rebuild of the grid stands. The rebuild thread reads it; the window's thread writes it, and
// a closing window asks the rebuild to stop from there too.
enum class ViewState : std::uint8_t { Idle, Rebuilding, StopRequested };

// The main window: the address and save-folder boxes, the album grid, the buttons, links and status
// lines, and the menus. It owns the workflow, presses its buttons, and is the view of its workers:
// what a worker shows is queued onto the window's thread, and a worker that needs an answer waits for
// it there.
class CAlbumoraDlg final : public QDialog, public WorkflowView {
    Q_OBJECT

public:
    static constexpr QSize kThumbnailSize{113, 120};

    // `settingsFolder` ends in '/'; the cookie store and the clock must outlive the window.
    CAlbumoraDlg(std::string settingsFolder, CookieStore* cookieStore, Clock& clock = SystemClock::Instance(),
                 QWidget* parent = nullptr);
    ~CAlbumoraDlg() override;

    Workflow& workflow() { return m_workflow; }
    // An address given on the command line; it takes the place of the clipboard's.
    void SetAddress(const QString& address);
    CMyGridCtrl* grid() const { return m_grid; }
    // Set once the start-up step has run; the list button does nothing before.
    bool isReady() const { return m_workflow.ready(); }
    // Where a rebuild of the grid stands (sorts, filter, view switch).
    ViewState viewState() const { return m_viewState; }
    // The keyword of the filter that is on; empty for none.
    const WString& filterText() const { return m_filterText; }
    bool loginWindowModeless() const;
    LoginMenu* loginMenu() const { return m_loginMenu; }

    // --- WorkflowView, called from any thread ---
    void SetStatusText(StatusLine line, const WString& text) override;
    void SetGroupTitle(const WString& text) override;
    void ApplyControlState(ControlMoment moment, bool albumListEmpty) override;
    void ShowMessage(const WString& text) override;
    bool AskYesNo(const WString& text) override;
    void AddGridEntry(int position) override;
    void RefreshGrid() override;
    void SelectAllAlbums() override;
    std::vector<int> ChosenAlbums() override;
    void StartDownload() override;
    void HistoryAdded(HistoryKind kind, const WString& text) override;
    WString AddressText() override;
    WString SaveFolderText() override;
    int AlbumKindSelection() override;
    void ShowPictureProgress(unsigned done, unsigned total, unsigned failed) override;
    void ShowAlbumState(int position, AlbumRunState state, unsigned done, unsigned total,
                        unsigned failed) override;
    void AlbumFinished(unsigned elapsedSec, unsigned pictureCount, unsigned failedCount) override;
    void OpenFolder(const std::string& folder) override;

public slots:
    // The filter box's keyword: the grid is built again with the albums whose names contain it.
    void ApplyFilter(const QString& keyword);
    // Puts a folder into the save-folder box and remembers it.
    void SetSaveFolder(const QString& folder);
    void ShowAbout();

signals:
    // The start-up step has run: the window may be shown (after the splash window).
    void startupFinished();
    // The links and menu items whose dialogs live elsewhere.
    void findRequested();
    void filterRequested();
    void findBoxHideRequested();
    void downloadParamsRequested();
    void fileNameSettingsRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Closing during a download asks first: Alt+F4 at picture 3 of 20 would lose the rest.
    void closeEvent(QCloseEvent* event) override;
    // 全选 shows whether every album is selected, however the selection was made.
    void ReflectSelectionInSelectAll();
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // --- start-up (CAlbumoraDlg.cpp) ---
    void BuildControls();
    void LoadSettingsAndHistories();
    void TakeClipboardAddress();
    void RunStartupStep();

    // --- site selection ---
    void OnSiteSelectorChanged();
    void RecognizeSite();

    // --- buttons and links (CAlbumoraDlgHandlers.cpp) ---
    void OnListButton();
    void OnDownloadButton();
    void OnChooseSaveFolder();
    void OnOpenFolder();
    void OnSelectAll(bool checked);
    void OnPictureViewToggled(bool checked);
    void OnRatingSort();
    void OnRestoreOrder();
    void OnExport();
    void OpenUserGuide();
    // The addresses of the last run's failed pictures, to read and copy.
    void ShowFailedPictures();

    // --- grid ---
    // Lays the grid out for the current view, which also unchecks "全选".
    void SetUpGrid();
    // Shows album `position` on the window's thread; an entry meant for an earlier set-up of the
    // grid is dropped.
    void ShowGridEntry(int generation, int position);
    // A cover has arrived: it goes to its album, unless the album at its position has changed.
    void ShowCover(int position, const WString& url, const QImage& cover);
    // The group title and the clear link tell whether a filter hides albums.
    void ShowFilterState(const QString& keyword);
    // Builds the rows again from the album list on the window's thread (sorts and filter).
    void RebuildGridNow();
    void StopRebuild();
    void StartRebuildThread();
    void RebuildLoop();
    void FinishRebuild();
    void JoinRebuildThread();

    // --- album states in a run ---
    struct AlbumStateShown {
        QString text;
        QColor colour;
    };
    // The bar runs without a count: a list or an album's collection is under way.
    void ShowBusyBar();
    // A new list or download: the last run's states and failed pictures are no longer shown.
    void ForgetRunStates();
    // Shows album `position`'s state in the grid and remembers it for the grid's next set-up.
    void SetAlbumState(int position, const AlbumStateShown& state);
    // Puts the remembered states on the albums' present positions.
    void ReapplyAlbumStates();

    // --- the other windows (CAlbumoraDlgWindows.cpp) ---
    void ConnectSecondaryWindows();
    void EditDownloadParams();
    void EditFileNameSettings();
    void FillLoginMenu(QMenu* menu);

    // --- menus (CAlbumoraDlgMenus.cpp) ---
    QMenuBar* BuildMenus();
    void UpdateSettingsMenu();
    void OnOptionToggled(int menuCommand);

    // --- threads ---
    bool OnUiThread() const;
    // Runs `call` on the window's thread: at once when already there, else queued.
    template <typename F>
    void Post(F&& call);
    // Stops and waits for every worker; answers pending questions with no.
    void Shutdown();
    // The texts the workers read, kept in step with the boxes.
    void MirrorAddress();
    void MirrorSaveFolder();
    void MirrorAlbumKind();

    Workflow m_workflow;
    UiCallGate m_gate;
    std::thread m_rebuildThread;
    std::atomic<ViewState> m_viewState{ViewState::Idle};
    WString m_filterText;
    std::atomic<bool> m_pictureView{false};
    // Counts the set-ups of the grid.
    std::atomic<int> m_gridGeneration{0};
    std::unique_ptr<GridFindTarget> m_findTarget;
    // Window's thread only. The states of the last run's albums by their list index, which sorting
    // keeps; the album whose pictures are at work.
    std::unordered_map<int, AlbumStateShown> m_albumStates;
    int m_albumAtWork = -1;
    // After the workflow, which its threads read.
    std::unique_ptr<CoverPool> m_covers;
    CDlgFind* m_findBox = nullptr;
    LoginMenu* m_loginMenu = nullptr;

    // Read by the workers without waiting for the window, whose thread may itself be waiting for a
    // worker to end.
    mutable std::mutex m_mirrorMutex;
    WString m_addressMirror;
    WString m_saveFolderMirror;
    int m_albumKindMirror = -1;

    // Controls.
    QComboBox* m_siteSelector = nullptr;
    QComboBox* m_albumKindSelector = nullptr;
    CComboBox2* m_addressBox = nullptr;
    QPushButton* m_listButton = nullptr;
    QPushButton* m_downloadButton = nullptr;
    CComboBox2* m_saveFolderBox = nullptr;
    QPushButton* m_chooseFolderButton = nullptr;
    QPushButton* m_openFolderButton = nullptr;
    QGroupBox* m_albumGroup = nullptr;
    CMyGridCtrl* m_grid = nullptr;
    QCheckBox* m_selectAllBox = nullptr;
    QCheckBox* m_pictureViewBox = nullptr;
    QLabel* m_statusLine1 = nullptr;
    QLabel* m_statusLine2 = nullptr;
    QProgressBar* m_pictureProgress = nullptr;  // the album at work; hidden until its pictures start
    QLabel* m_noticeLine = nullptr;
    QLabel* m_ratingSortLink = nullptr;
    QLabel* m_ratingLink2 = nullptr;
    QLabel* m_restoreOrderLink = nullptr;
    QLabel* m_vendorLink = nullptr;
    QLabel* m_findLink = nullptr;
    QLabel* m_filterLink = nullptr;
    QLabel* m_exportLink = nullptr;
    LinkLabel* m_failedPicturesLink = nullptr;
    QLabel* m_clearFilterLink = nullptr;  // shown while a filter hides albums
    // The album group's title as the workers last set it, without a filter's note.
    // The group's title without the filter; the group keeps one from the start, so that the grid
    // does not move down when the first list gives it one.
    QString m_groupTitle = QStringLiteral("相册列表");
    QMenu* m_settingsMenu = nullptr;
};

template <typename F>
void CAlbumoraDlg::Post(F&& call) {
    if (OnUiThread()) {
        call();
    } else {
        QMetaObject::invokeMethod(this, std::forward<F>(call), Qt::QueuedConnection);
    }
}

}  // namespace albumora::gui
