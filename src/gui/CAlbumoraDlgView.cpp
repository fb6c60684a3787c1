// The main window as the workers' view. Each call may come from a worker thread: what changes the
// window is queued onto the window's thread, and what returns an answer either reads a mirror of a box
// or waits at the gate, which a closing window opens with a fallback answer. What concerns the album
// grid goes on to the grid's presenter on the window's thread.
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <algorithm>

#include "gui/CAlbumoraDlg.h"
#include "gui/CComboBox2.h"
#include "gui/LinkLabel.h"
#include "gui/QtText.h"
#include "gui/grid/CMyGridCtrl.h"

namespace albumora::gui {

void CAlbumoraDlg::SetStatusText(StatusLine line, const WString& text) {
    Post([this, line, text = ToQString(text)] {
        (line == StatusLine::Main ? m_statusLine1 : m_statusLine2)->setText(text);
    });
}

void CAlbumoraDlg::SetGroupTitle(const WString& text) {
    Post([this, text = ToQString(text)] {
        m_groupTitle = text;
        m_albumGroup->setTitle(text);
    });
}

void CAlbumoraDlg::ApplyControlState(ControlMoment moment, bool albumListEmpty) {
    Post([this, moment, albumListEmpty] {
        switch (moment) {
            case ControlMoment::ListStarts:
                for (QWidget* control : std::initializer_list<QWidget*>{
                         m_siteSelector, m_downloadButton, m_addressBox, m_pictureViewBox, m_ratingSortLink,
                         m_ratingLink2, m_restoreOrderLink, m_findLink, m_filterLink, m_exportLink}) {
                    control->setEnabled(false);
                }
                m_selectAllBox->setChecked(false);
                m_listButton->setText(QStringLiteral("终止获取"));
                ForgetRunStates();
                // Busy until the listing ends.
                ShowBusyBar();
                m_noticeLine->hide();
                break;
            case ControlMoment::ListEnds:
                m_pictureProgress->hide();
                m_siteSelector->setEnabled(true);
                m_downloadButton->setEnabled(!albumListEmpty);
                m_listButton->setText(QStringLiteral("获取相册"));
                for (QWidget* control :
                     std::initializer_list<QWidget*>{m_addressBox, m_pictureViewBox, m_ratingSortLink,
                                                     m_ratingLink2, m_restoreOrderLink, m_exportLink}) {
                    control->setEnabled(true);
                }
                // Find and filter work on rows, which the thumbnail view has not.
                m_findLink->setEnabled(!m_gridPresenter->showsThumbnails());
                m_filterLink->setEnabled(!m_gridPresenter->showsThumbnails());
                break;
            case ControlMoment::DownloadStarts:
                m_downloadButton->setText(QStringLiteral("终止下载"));
                m_pictureProgress->hide();
                ForgetRunStates();
                for (QWidget* control : std::initializer_list<QWidget*>{
                         m_siteSelector, m_listButton, m_chooseFolderButton, m_addressBox, m_saveFolderBox,
                         m_ratingSortLink, m_ratingLink2, m_restoreOrderLink}) {
                    control->setEnabled(false);
                }
                break;
            case ControlMoment::DownloadEnds:
                // The last album's count stays; a bar still busy with a collection that the end
                // of the run cut off goes.
                if (m_pictureProgress->maximum() == 0) {
                    m_pictureProgress->hide();
                }
                m_downloadButton->setText(QStringLiteral("下载"));
                for (QWidget* control : std::initializer_list<QWidget*>{
                         m_siteSelector, m_listButton, m_chooseFolderButton, m_addressBox, m_saveFolderBox,
                         m_ratingSortLink, m_ratingLink2, m_restoreOrderLink}) {
                    control->setEnabled(true);
                }
                m_gridPresenter->EndRun();
                if (const auto failed = m_workflow.lastRunResult().failedPictures.size(); failed > 0) {
                    m_failedPicturesLink->SetLinkText(QStringLiteral("查看下载失败的图片(%1)").arg(failed));
                    m_failedPicturesLink->show();
                }
                break;
        }
    });
}

void CAlbumoraDlg::ShowMessage(const WString& text) {
    Post([this, text = ToQString(text)] {
        // Opened without a loop of its own, so that the window keeps serving the workers meanwhile.
        // What the workers have to say is a problem to act on, never a mere notice.
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        // A one-line message would make a box too narrow for its own title.
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setMinimumWidth(std::max(label->minimumWidth(), 320));
        }
        box->open();
    });
}

bool CAlbumoraDlg::AskYesNo(const WString& text) {
    if (OnUiThread()) {
        return QMessageBox::question(this, windowTitle(), ToQString(text),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    return m_gate.Call<bool>(
        [this, text = ToQString(text)](std::function<void(bool)> reply) {
            auto* box = new QMessageBox(QMessageBox::Question, windowTitle(), text,
                                        QMessageBox::Yes | QMessageBox::No, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            connect(box, &QMessageBox::finished, box,
                    [box, reply] { reply(box->standardButton(box->clickedButton()) == QMessageBox::Yes); });
            box->open();
        },
        false);
}

void CAlbumoraDlg::AddGridEntry(int position) {
    // The list worker's album; the presenter queues it, and a cover to fetch, itself.
    m_gridPresenter->ShowListedAlbum(position);
}

void CAlbumoraDlg::RefreshGrid() {
    m_gridPresenter->Refresh();
}

void CAlbumoraDlg::SelectAllAlbums() {
    Post([this] { m_gridPresenter->SelectAll(); });
}

std::vector<int> CAlbumoraDlg::ChosenAlbums() {
    return m_gate.Call<std::vector<int>>(
        [this](std::function<void(std::vector<int>)> reply) { reply(m_gridPresenter->ChosenAlbums()); }, {});
}

void CAlbumoraDlg::StartDownload() {
    Post([this] { OnDownloadButton(); });
}

void CAlbumoraDlg::HistoryAdded(HistoryKind kind, const WString& text) {
    Post([this, kind, text = ToQString(text)] {
        (kind == HistoryKind::Address ? m_addressBox : m_saveFolderBox)->AddHistoryItem(text);
    });
}

WString CAlbumoraDlg::AddressText() {
    std::lock_guard lock(m_mirrorMutex);
    return m_addressMirror;
}

WString CAlbumoraDlg::SaveFolderText() {
    std::lock_guard lock(m_mirrorMutex);
    return m_saveFolderMirror;
}

int CAlbumoraDlg::AlbumKindSelection() {
    std::lock_guard lock(m_mirrorMutex);
    return m_albumKindMirror;
}

void CAlbumoraDlg::ShowPictureProgress(unsigned done, unsigned total, unsigned failed) {
    Post([this, done, total, failed] {
        // The last album's count stays in view after the run, until the next list or download.
        m_pictureProgress->setRange(0, static_cast<int>(std::max(total, 1U)));
        m_pictureProgress->setValue(static_cast<int>(std::min(done, total)));
        m_pictureProgress->setFormat(failed == 0 ? QStringLiteral("%v/%m")
                                                 : QStringLiteral("已保存%1，失败%2，共%m")
                                                       .arg(std::min(done, total) - std::min(failed, done))
                                                       .arg(failed));
        m_pictureProgress->show();
        m_gridPresenter->ShowAlbumProgress(done, total);
    });
}

void CAlbumoraDlg::ShowAlbumState(int position, AlbumRunState state, unsigned done, unsigned total,
                                  unsigned failed) {
    Post([this, position, state, done, total, failed] {
        if (state == AlbumRunState::Collecting) {
            // Busy while the album's pictures are listed; the count starts with their download.
            ShowBusyBar();
        }
        m_gridPresenter->ShowAlbumState(position, state, done, total, failed);
    });
}

void CAlbumoraDlg::ShowBusyBar() {
    m_pictureProgress->setRange(0, 0);
    m_pictureProgress->setFormat(QString());
    m_pictureProgress->show();
}

void CAlbumoraDlg::ForgetRunStates() {
    m_failedPicturesLink->hide();
    m_gridPresenter->ForgetRunStates();
}

void CAlbumoraDlg::AlbumFinished(unsigned, unsigned, unsigned) {
    // The progress line has said it all already.
}

void CAlbumoraDlg::OpenFolder(const std::string& folder) {
    Post([this, folder = QString::fromStdString(folder)] {
        // Without a file manager or an opener (xdg-open) the user would wait for nothing.
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
            ShowMessage(u"无法打开文件夹：" + ToWString(folder) +
                        u"\n这台电脑上没有可以打开文件夹的程序（xdg-open）。");
        }
    });
}

}  // namespace albumora::gui
