#include "gui/CAlbumoraDlg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "core/settings/SettingsStore.h"
#include "core/sites/SiteRecognition.h"
#include "gui/AccessKeyButton.h"
#include "gui/CComboBox2.h"
#include "gui/ElidedLabel.h"
#include "gui/LinkLabel.h"
#include "gui/QtText.h"
#include "gui/grid/CMyGridCtrl.h"

namespace albumora::gui {

namespace {

// A clipboard text longer than this is no address.
constexpr qsizetype kMaxClipboardAddress = 199;

const QString kNotice =
    QStringLiteral("提示：粘贴相册地址后点击“获取相册”，在列表中选中相册，再点击“下载”。");

QLabel* MakeLink(const QString& text, const QString& objectName, QWidget* parent) {
    auto* link = new LinkLabel(text, parent);
    link->setObjectName(objectName);
    return link;
}

QPushButton* MakeButton(const QString& text, char16_t key, const QString& objectName, QWidget* parent) {
    auto* button = new AccessKeyButton(text, key, parent);
    button->setObjectName(objectName);
    // The window is a dialog: Enter in a box must not press a button.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CAlbumoraDlg::CAlbumoraDlg(std::string settingsFolder, CookieStore* cookieStore, Clock& clock,
                           QWidget* parent)
    : QDialog(parent), m_workflow(*this, std::move(settingsFolder), cookieStore, clock), m_gate(this) {
    setWindowTitle(QStringLiteral("Albumora"));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setAcceptDrops(true);
    BuildControls();
    m_gridPresenter = std::make_unique<AlbumGridPresenter>(*m_grid, m_workflow);
    ConnectGridPresenter();
    // A paste and Enter is all a list takes.
    m_addressBox->setFocus();
    ConnectSecondaryWindows();
    LoadSettingsAndHistories();
    TakeClipboardAddress();
    // The start-up step runs once the window's owner has shown the splash window.
    QMetaObject::invokeMethod(this, &CAlbumoraDlg::RunStartupStep, Qt::QueuedConnection);
}

CAlbumoraDlg::~CAlbumoraDlg() {
    Shutdown();
}

void CAlbumoraDlg::BuildControls() {
    auto* root = new QVBoxLayout(this);
    root->setMenuBar(BuildMenus());

    auto* addressRow = new QHBoxLayout;
    m_siteSelector = new QComboBox(this);
    m_siteSelector->setObjectName(QStringLiteral("siteSelector"));
    m_siteSelector->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_albumKindSelector = new QComboBox(this);
    m_albumKindSelector->setObjectName(QStringLiteral("albumKindSelector"));
    m_albumKindSelector->hide();
    m_addressBox = new CComboBox2(this);
    m_addressBox->setObjectName(QStringLiteral("addressBox"));
    m_addressBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_listButton = MakeButton(QStringLiteral("获取相册"), u'G', QStringLiteral("listButton"), this);
    addressRow->addWidget(new QLabel(QStringLiteral("相册地址："), this));
    addressRow->addWidget(m_siteSelector);
    addressRow->addWidget(m_albumKindSelector);
    addressRow->addWidget(m_addressBox, 1);
    addressRow->addWidget(m_listButton);
    root->addLayout(addressRow);

    auto* folderRow = new QHBoxLayout;
    m_saveFolderBox = new CComboBox2(this);
    m_saveFolderBox->setObjectName(QStringLiteral("saveFolderBox"));
    m_saveFolderBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_chooseFolderButton =
        MakeButton(QStringLiteral("设置"), u'P', QStringLiteral("chooseFolderButton"), this);
    m_openFolderButton = MakeButton(QStringLiteral("打开"), u'O', QStringLiteral("openFolderButton"), this);
    m_downloadButton = MakeButton(QStringLiteral("下载"), u'D', QStringLiteral("downloadButton"), this);
    m_downloadButton->setEnabled(false);
    folderRow->addWidget(new QLabel(QStringLiteral("保存路径："), this));
    folderRow->addWidget(m_saveFolderBox, 1);
    folderRow->addWidget(m_chooseFolderButton);
    folderRow->addWidget(m_openFolderButton);
    folderRow->addWidget(m_downloadButton);
    root->addLayout(folderRow);

    m_albumGroup = new QGroupBox(QStringLiteral("相册列表"), this);
    m_albumGroup->setObjectName(QStringLiteral("albumGroup"));
    auto* groupLayout = new QVBoxLayout(m_albumGroup);
    m_grid = new CMyGridCtrl(m_albumGroup);
    m_grid->setObjectName(QStringLiteral("albumGrid"));
    groupLayout->addWidget(m_grid);
    root->addWidget(m_albumGroup, 1);

    auto* optionRow = new QHBoxLayout;
    m_selectAllBox = new QCheckBox(QStringLiteral("全选(&A)"), this);
    m_selectAllBox->setObjectName(QStringLiteral("selectAllBox"));
    m_pictureViewBox = new QCheckBox(QStringLiteral("预览图(&V)"), this);
    m_pictureViewBox->setObjectName(QStringLiteral("pictureViewBox"));
    m_ratingSortLink = MakeLink(QStringLiteral("好评"), QStringLiteral("ratingSortLink"), this);
    m_ratingLink2 = MakeLink(QStringLiteral("最新"), QStringLiteral("ratingLink2"), this);
    m_restoreOrderLink = MakeLink(QStringLiteral("默认"), QStringLiteral("restoreOrderLink"), this);
    for (QLabel* hidden : {m_ratingSortLink, m_ratingLink2, m_restoreOrderLink}) {
        hidden->hide();
    }
    m_findLink = MakeLink(QStringLiteral("查找"), QStringLiteral("findLink"), this);
    m_filterLink = MakeLink(QStringLiteral("筛选"), QStringLiteral("filterLink"), this);
    m_exportLink = MakeLink(QStringLiteral("导出"), QStringLiteral("exportLink"), this);
    m_clearFilterLink = MakeLink(QStringLiteral("显示全部"), QStringLiteral("clearFilterLink"), this);
    m_clearFilterLink->hide();
    optionRow->addWidget(m_selectAllBox);
    optionRow->addWidget(m_pictureViewBox);
    optionRow->addWidget(m_ratingSortLink);
    optionRow->addWidget(m_ratingLink2);
    optionRow->addWidget(m_restoreOrderLink);
    optionRow->addStretch(1);
    optionRow->addWidget(m_clearFilterLink);
    optionRow->addWidget(m_findLink);
    optionRow->addWidget(m_filterLink);
    optionRow->addWidget(m_exportLink);
    root->addLayout(optionRow);
    // Tab follows the row from left to right, and the clear link, made last, stands before 查找.
    setTabOrder(m_restoreOrderLink, m_clearFilterLink);

    // A long status text (an incomplete album with a long name) must not widen the window past
    // the screen: the lines cut their text and show it whole in a tooltip.
    m_statusLine1 = new ElidedLabel(this);
    m_statusLine1->setObjectName(QStringLiteral("statusLine1"));
    m_statusLine2 = new ElidedLabel(this);
    m_statusLine2->setObjectName(QStringLiteral("statusLine2"));
    m_pictureProgress = new QProgressBar(this);
    m_pictureProgress->setObjectName(QStringLiteral("pictureProgress"));
    m_pictureProgress->setFixedWidth(240);
    m_pictureProgress->hide();
    // The bar keeps its place while hidden, so that the grid does not jump when it appears.
    QSizePolicy barPolicy = m_pictureProgress->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    m_pictureProgress->setSizePolicy(barPolicy);
    m_failedPicturesLink = new LinkLabel(QString(), this);
    m_failedPicturesLink->setObjectName(QStringLiteral("failedPicturesLink"));
    m_failedPicturesLink->hide();
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_statusLine2, 1);
    progressRow->addWidget(m_failedPicturesLink);
    progressRow->addWidget(m_pictureProgress);
    root->addWidget(m_statusLine1);
    root->addLayout(progressRow);

    auto* noticeRow = new QHBoxLayout;
    m_noticeLine = new QLabel(kNotice, this);
    m_noticeLine->setObjectName(QStringLiteral("noticeLine"));
    m_vendorLink = MakeLink(QStringLiteral("使用说明"), QStringLiteral("vendorLink"), this);
    m_vendorLink->setEnabled(false);
    noticeRow->addWidget(m_noticeLine);
    noticeRow->addStretch(1);
    noticeRow->addWidget(m_vendorLink);
    root->addLayout(noticeRow);

    resize(840, 600);

    connect(m_siteSelector, &QComboBox::currentIndexChanged, this, &CAlbumoraDlg::OnSiteSelectorChanged);
    connect(m_albumKindSelector, &QComboBox::currentIndexChanged, this, &CAlbumoraDlg::MirrorAlbumKind);
    connect(m_addressBox, &QComboBox::editTextChanged, this, &CAlbumoraDlg::MirrorAddress);
    connect(m_addressBox, &CComboBox2::editChanged, this, &CAlbumoraDlg::RecognizeSite);
    connect(m_addressBox, &CComboBox2::entryPicked, this, &CAlbumoraDlg::RecognizeSite);
    connect(m_saveFolderBox, &QComboBox::editTextChanged, this, &CAlbumoraDlg::MirrorSaveFolder);
    connect(m_listButton, &QPushButton::clicked, this, &CAlbumoraDlg::OnListButton);
    connect(m_addressBox, &CComboBox2::enterPressed, this, [this] {
        // Only to start a fetch: a running one is stopped with the button itself.
        if (m_listButton->isEnabled() && m_workflow.listState() == ListState::Idle) {
            m_listButton->click();
        }
    });
    connect(m_downloadButton, &QPushButton::clicked, this, &CAlbumoraDlg::OnDownloadButton);
    connect(m_chooseFolderButton, &QPushButton::clicked, this, &CAlbumoraDlg::OnChooseSaveFolder);
    connect(m_openFolderButton, &QPushButton::clicked, this, &CAlbumoraDlg::OnOpenFolder);
    connect(m_pictureViewBox, &QCheckBox::clicked, this, &CAlbumoraDlg::OnPictureViewToggled);
    connect(m_vendorLink, &QLabel::linkActivated, this, &CAlbumoraDlg::OpenUserGuide);
    connect(m_findLink, &QLabel::linkActivated, this, &CAlbumoraDlg::findRequested);
    connect(m_filterLink, &QLabel::linkActivated, this, [this] {
        emit findBoxHideRequested();
        emit filterRequested();
    });
    connect(m_exportLink, &QLabel::linkActivated, this, &CAlbumoraDlg::OnExport);
    connect(m_clearFilterLink, &QLabel::linkActivated, this, [this] { ApplyFilter(QString()); });
    connect(m_failedPicturesLink, &QLabel::linkActivated, this, &CAlbumoraDlg::ShowFailedPictures);
}

void CAlbumoraDlg::LoadSettingsAndHistories() {
    m_saveFolderBox->setEditText(QString::fromStdString(m_workflow.settingsFolder()));
    const PersistentSettings settings = LoadSettings(m_workflow.settingsFolder()).settings;
    m_workflow.ResetSettings(settings);
    m_addressBox->ClearHistory();
    m_saveFolderBox->ClearHistory();
    for (const WString& address : HistoryTexts(settings, HistoryKind::Address)) {
        m_addressBox->AddHistoryItem(ToQString(address));
    }
    const std::vector<WString> folders = HistoryTexts(settings, HistoryKind::SavePath);
    for (const WString& folder : folders) {
        m_saveFolderBox->AddHistoryItem(ToQString(folder));
    }
    if (const WString& newest = SlotText(settings.savePathHistory[0]); !newest.empty()) {
        m_saveFolderBox->setEditText(ToQString(newest));
    }
}

void CAlbumoraDlg::TakeClipboardAddress() {
    const QString text = QGuiApplication::clipboard()->text().trimmed();
    if (!text.isEmpty() && text.size() <= kMaxClipboardAddress) {
        m_addressBox->setEditText(text);
    }
}

void CAlbumoraDlg::SetAddress(const QString& address) {
    m_addressBox->setEditText(address);
}

void CAlbumoraDlg::RunStartupStep() {
    {
        const QSignalBlocker quiet(m_siteSelector);
        for (int code = 0; code < kSiteCodeCount; ++code) {
            m_siteSelector->addItem(ToQString(SiteDisplayName(code)));
        }
        // The item index is the site code; the unused code keeps its place but cannot be chosen.
        // The sites the program does not download from say so where they are chosen.
        if (auto* items = qobject_cast<QStandardItemModel*>(m_siteSelector->model())) {
            for (int code = 0; code < kSiteCodeCount; ++code) {
                if (SiteDisplayName(code).empty()) {
                    items->item(code)->setEnabled(false);
                } else if (code != kSiteCodeHuabanDuitang) {
                    items->item(code)->setText(ToQString(SiteDisplayName(code)) +
                                               QStringLiteral("（暂不支持）"));
                }
            }
        }
        m_siteSelector->setCurrentIndex(kSiteCodeHuabanDuitang);
    }
    m_vendorLink->setEnabled(true);
    emit startupFinished();
    RecognizeSite();
    m_workflow.MarkReady();
    OnSiteSelectorChanged();
}

void CAlbumoraDlg::OnSiteSelectorChanged() {
    if (m_siteSelector->currentIndex() == kSiteCodeQQ) {
        const QSignalBlocker quiet(m_albumKindSelector);
        m_albumKindSelector->clear();
        m_albumKindSelector->addItems(
            {QStringLiteral("QQ空间相册"), QStringLiteral("QQ群相册"), QStringLiteral("腾讯微博相册")});
        m_albumKindSelector->setCurrentIndex(0);
        m_albumKindSelector->show();
    } else {
        // The address box widens into the selector's place.
        m_albumKindSelector->hide();
    }
    MirrorAlbumKind();
}

void CAlbumoraDlg::RecognizeSite() {
    const auto recognised =
        RecognizeSiteCode(ToWString(m_addressBox->currentText()), m_siteSelector->currentIndex());
    if (!recognised) {
        return;
    }
    {
        const QSignalBlocker quiet(m_siteSelector);
        m_siteSelector->setCurrentIndex(recognised->siteCode);
    }
    OnSiteSelectorChanged();
    if (recognised->siteCode == kSiteCodeQQ) {
        m_albumKindSelector->setCurrentIndex(static_cast<int>(recognised->albumKind));
    }
}

void CAlbumoraDlg::MirrorAddress() {
    const WString text = ToWString(m_addressBox->currentText());
    std::lock_guard lock(m_mirrorMutex);
    m_addressMirror = text;
}

void CAlbumoraDlg::MirrorSaveFolder() {
    const WString text = ToWString(m_saveFolderBox->currentText());
    std::lock_guard lock(m_mirrorMutex);
    m_saveFolderMirror = text;
}

void CAlbumoraDlg::MirrorAlbumKind() {
    const int kind = m_albumKindSelector->isHidden() ? -1 : m_albumKindSelector->currentIndex();
    std::lock_guard lock(m_mirrorMutex);
    m_albumKindMirror = kind;
}

bool CAlbumoraDlg::OnUiThread() const {
    return QThread::currentThread() == thread();
}

void CAlbumoraDlg::Shutdown() {
    m_gate.Close();
    m_workflow.RequestStop();
    m_gridPresenter->StopRebuild();
    m_workflow.WaitForWorkers();
}

void CAlbumoraDlg::closeEvent(QCloseEvent* event) {
    if (m_workflow.downloadState() != DownloadState::Idle &&
        QMessageBox::question(this, windowTitle(),
                              QStringLiteral("正在下载图片，退出将终止下载。确定要退出吗？"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CAlbumoraDlg::keyPressEvent(QKeyEvent* event) {
    // Escape would close the whole program.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace albumora::gui
