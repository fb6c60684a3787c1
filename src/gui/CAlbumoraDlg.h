#pragma once

#include <QDialog>
#include <QPushButton>
#include <memory>
#include <mutex>
#include <string>

#include "core/util/Clock.h"
#include "core/workflow/Workflow.h"
#include "core/workflow/WorkflowView.h"
#include "gui/RunOnThreadOf.h"
#include "gui/UiCallGate.h"
#include "gui/grid/AlbumGridPresenter.h"

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
class CMyGridCtrl;
class LinkLabel;
class LoginMenu;

// The main window: the address and save-folder boxes, the album grid, the buttons, links and status
// lines, and the menus. It owns the workflow, presses its buttons, and is the view of its workers:
// what a worker shows is queued onto the window's thread, and a worker that needs an answer waits for
// it there. What the workers show in the album grid goes to the grid's presenter.
class CAlbumoraDlg final : public QDialog, public WorkflowView {
    Q_OBJECT

public:
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
    ViewState viewState() const { return m_gridPresenter->viewState(); }
    // The keyword of the filter that is on; empty for none.
    const WString& filterText() const { return m_gridPresenter->filterText(); }
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
    void OnPictureViewToggled(bool checked);
    void OnExport();
    void OpenUserGuide();
    // The addresses of the last run's failed pictures, to read and copy.
    void ShowFailedPictures();

    // --- around the grid ---
    // The controls that show what the grid's presenter reports.
    void ConnectGridPresenter();
    // The group title and the clear link tell whether a filter hides albums.
    void ShowFilterState(const QString& keyword);
    // The bar runs without a count: a list or an album's collection is under way.
    void ShowBusyBar();
    // A new list or download: the last run's states and failed pictures are no longer shown.
    void ForgetRunStates();

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
    void Post(F&& call) {
        RunOnThreadOf(this, std::forward<F>(call));
    }
    // Stops and waits for every worker; answers pending questions with no.
    void Shutdown();
    // The texts the workers read, kept in step with the boxes.
    void MirrorAddress();
    void MirrorSaveFolder();
    void MirrorAlbumKind();

    Workflow m_workflow;
    UiCallGate m_gate;
    // After the workflow, which its cover threads read.
    std::unique_ptr<AlbumGridPresenter> m_gridPresenter;
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
    // The album group's title as the workers last set it, without a filter's note. It has one from
    // the start, so that the grid does not move down when the first list gives it one.
    QString m_groupTitle = QStringLiteral("相册列表");
    QMenu* m_settingsMenu = nullptr;
};

}  // namespace albumora::gui
