// The buttons, links, check boxes and drops of the main window, and the controls around the grid.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

#include "core/files/FileHelpers.h"
#include "core/settings/SiteCodes.h"
#include "core/sites/SiteRecognition.h"
#include "gui/CAlbumoraDlg.h"
#include "gui/CComboBox2.h"
#include "gui/QtText.h"
#include "gui/UserGuide.h"
#include "gui/grid/CMyGridCtrl.h"

namespace albumora::gui {

namespace {

const QString kRatingAscending = QStringLiteral("<a href=\"#\">好评↓</a>");
const QString kRatingDescending = QStringLiteral("<a href=\"#\">好评↑</a>");

}  // namespace

void CAlbumoraDlg::OnListButton() {
    if (!m_workflow.ready()) {
        return;
    }
    if (m_workflow.listState() != ListState::Idle) {
        // Only asks for the stop; the worker resets the button when it has ended.
        m_workflow.OnListButton();
        return;
    }
    // A site the program does not serve is said to be so, rather than another site listed.
    if (m_siteSelector->currentIndex() != kSiteCodeHuabanDuitang) {
        ShowMessage(u"“" + SiteDisplayName(m_siteSelector->currentIndex()) +
                    u"”暂不支持下载：请粘贴花瓣或堆糖的地址，或在网站列表中选择“花瓣 / 堆糖”。");
        return;
    }
    m_gridPresenter->ClearForNewList();
    m_workflow.OnListButton();
}

void CAlbumoraDlg::OnDownloadButton() {
    m_workflow.OnDownloadButton();
}

void CAlbumoraDlg::OnChooseSaveFolder() {
    QFileDialog dialog(this, QStringLiteral("请选择文件保存目录："),
                       m_saveFolderBox->currentText().trimmed());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    SetSaveFolder(dialog.selectedFiles().constFirst());
}

void CAlbumoraDlg::SetSaveFolder(const QString& folder) {
    const QString path = ToQString(WithTrailingSlash(ToWString(folder)));
    m_saveFolderBox->setEditText(path);
    m_workflow.RememberHistory(HistoryKind::SavePath, ToWString(path));
}

void CAlbumoraDlg::OnOpenFolder() {
    if (const WString folder = m_workflow.FolderBeingDownloaded(); !folder.empty()) {
        OpenFolder(ToUtf8(folder));
        return;
    }
    const QString folder = m_saveFolderBox->currentText().trimmed();
    if (!folder.isEmpty()) {
        OpenFolder(folder.toStdString());
    }
}

void CAlbumoraDlg::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.constFirst().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void CAlbumoraDlg::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile()) {
        return;
    }
    // A dropped file names its folder; a dropped folder names itself.
    const QFileInfo dropped(urls.constFirst().toLocalFile());
    SetSaveFolder(dropped.isDir() ? dropped.absoluteFilePath() : dropped.absolutePath());
    event->acceptProposedAction();
}

void CAlbumoraDlg::ConnectGridPresenter() {
    connect(m_gridPresenter.get(), &AlbumGridPresenter::filterShown, this, &CAlbumoraDlg::ShowFilterState);
    connect(m_gridPresenter.get(), &AlbumGridPresenter::everyAlbumSelected, this, [this](bool all) {
        const QSignalBlocker quiet(m_selectAllBox);
        m_selectAllBox->setChecked(all);
    });
    connect(m_gridPresenter.get(), &AlbumGridPresenter::ratingOrderShown, this, [this](bool descending) {
        m_ratingSortLink->setText(descending ? kRatingDescending : kRatingAscending);
    });
    connect(m_selectAllBox, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked) {
            m_gridPresenter->SelectAll();
        } else {
            m_gridPresenter->ClearSelection();
        }
    });
    connect(m_ratingSortLink, &QLabel::linkActivated, m_gridPresenter.get(),
            &AlbumGridPresenter::SortByRating);
    connect(m_restoreOrderLink, &QLabel::linkActivated, m_gridPresenter.get(),
            &AlbumGridPresenter::RestoreListOrder);
}

void CAlbumoraDlg::OnPictureViewToggled(bool checked) {
    if (m_gridPresenter->viewState() != ViewState::Idle) {
        const auto answer =
            QMessageBox::question(this, QStringLiteral("提示"), QStringLiteral("模式转换未完成,是否中断?"),
                                  QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            m_gridPresenter->RequestRebuildStop();
        }
        const QSignalBlocker quiet(m_pictureViewBox);
        m_pictureViewBox->setChecked(!checked);
        return;
    }
    if (checked) {
        emit findBoxHideRequested();
    }
    m_findLink->setEnabled(!checked);
    m_filterLink->setEnabled(!checked);
    m_gridPresenter->SwitchView(checked);
}

void CAlbumoraDlg::ApplyFilter(const QString& keyword) {
    m_gridPresenter->ApplyFilter(keyword);
}

void CAlbumoraDlg::ShowFilterState(const QString& keyword) {
    m_clearFilterLink->setVisible(!keyword.isEmpty());
    if (keyword.isEmpty()) {
        m_albumGroup->setTitle(m_groupTitle);
        return;
    }
    const int rows = m_grid->GetRowCount() - m_grid->GetFixedRowCount();
    m_albumGroup->setTitle(QStringLiteral("%1 — 筛选“%2”：显示%3个").arg(m_groupTitle, keyword).arg(rows));
}

void CAlbumoraDlg::OnExport() {
    QMessageBox::information(
        this, windowTitle(),
        QStringLiteral("此导出为导出表格内容，如需下载图片，请点击右上角的 下载 按钮。"));
    // Beside the downloads, under a name that says what it is, rather than wherever the program
    // happened to be started.
    const QString saveFolder = m_saveFolderBox->currentText().trimmed();
    QFileDialog dialog(
        this, QString(),
        !saveFolder.isEmpty() && QFileInfo(saveFolder).isDir() ? saveFolder : QDir::homePath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("导出后，自行调整列宽(*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("相册列表.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    // A file that cannot be written ends the export silently.
    m_grid->ExportTo(dialog.selectedFiles().constFirst());
}

void CAlbumoraDlg::ShowFailedPictures() {
    const DownloadRunResult result = m_workflow.lastRunResult();
    // By album, each address with why it failed: what to try again, and whether it is worth it.
    QStringList lines;
    QStringList addressesOnly;
    const WString* album = nullptr;
    for (const DownloadRunResult::FailedPicture& picture : result.failedPictures) {
        if (album == nullptr || *album != picture.album) {
            album = &picture.album;
            if (!lines.isEmpty()) {
                lines.push_back(QString());
            }
            lines.push_back(QStringLiteral("相册“%1”：").arg(ToQString(picture.album)));
        }
        lines.push_back(ToQString(picture.url) + QStringLiteral("    （") + ToQString(picture.reason) +
                        QStringLiteral("）"));
        addressesOnly.push_back(ToQString(picture.url));
    }
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("failedPicturesDialog"));
    dialog.setWindowTitle(QStringLiteral("下载失败的图片"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* addresses = new QPlainTextEdit(lines.join(QLatin1Char('\n')), &dialog);
    addresses->setObjectName(QStringLiteral("failedPictureAddresses"));
    addresses->setReadOnly(true);
    addresses->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(addresses);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* copy = buttons->addButton(QStringLiteral("复制全部"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyFailedPictures"));
    // The addresses alone, one a line, as a download manager takes them.
    connect(copy, &QPushButton::clicked, &dialog,
            [addressesOnly] { QApplication::clipboard()->setText(addressesOnly.join(QLatin1Char('\n'))); });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(640, 360);
    dialog.exec();
}

void CAlbumoraDlg::OpenUserGuide() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(FindUserGuide(QCoreApplication::applicationDirPath())));
}

}  // namespace albumora::gui
