// The windows that the main window opens besides itself: the two settings dialogs, the find and
// filter boxes, the login browser and the About box.
#include <QMenu>

#include "gui/CAlbumoraDlg.h"
#include "gui/dialogs/AboutBox.h"
#include "gui/dialogs/CDlgDownSet.h"
#include "gui/dialogs/CDlgFind.h"
#include "gui/dialogs/CDlgSaveSet.h"
#include "gui/login/CDlgWebOpen.h"
#include "gui/login/LoginMenu.h"

namespace albumora::gui {

void CAlbumoraDlg::ConnectSecondaryWindows() {
    connect(this, &CAlbumoraDlg::findRequested, this, [this] {
        if (m_findBox == nullptr) {
            m_findBox = new CDlgFind(m_gridPresenter->findTarget(), CDlgFind::Mode::Find, this);
        }
        m_findBox->OpenFind();
    });
    connect(this, &CAlbumoraDlg::findBoxHideRequested, this, [this] {
        if (m_findBox != nullptr) {
            m_findBox->hide();
        }
    });
    connect(this, &CAlbumoraDlg::filterRequested, this,
            [this] { CDlgFind::RunFilter(m_gridPresenter->findTarget(), this, m_findBox); });
    connect(this, &CAlbumoraDlg::downloadParamsRequested, this, &CAlbumoraDlg::EditDownloadParams);
    connect(this, &CAlbumoraDlg::fileNameSettingsRequested, this, &CAlbumoraDlg::EditFileNameSettings);
}

void CAlbumoraDlg::EditDownloadParams() {
    const std::size_t slot = SettingsSlot(m_workflow.siteCode());
    SiteDownloadParams params = m_workflow.SettingsCopy().downloadParams[slot];
    if (CDlgDownSet(params, this).exec() == QDialog::Accepted) {
        m_workflow.EditSettings(
            [&](PersistentSettings& settings) { settings.downloadParams[slot] = params; });
    }
}

void CAlbumoraDlg::EditFileNameSettings() {
    const std::size_t slot = SettingsSlot(m_workflow.siteCode());
    SiteNamingRecord record = m_workflow.SettingsCopy().namingRecords[slot];
    if (CDlgSaveSet(record, this).exec() == QDialog::Accepted) {
        m_workflow.EditSettings([&](PersistentSettings& settings) { settings.namingRecords[slot] = record; });
    }
}

void CAlbumoraDlg::FillLoginMenu(QMenu* menu) {
    m_loginMenu = new LoginMenu(
        this, QString::fromStdString(m_workflow.settingsFolder()), *m_workflow.cookieStore(),
        [this] { return QString::fromStdU16String(AddressText()); }, [this] { return AlbumKindSelection(); });
    m_loginMenu->fillMenu(menu);
}

bool CAlbumoraDlg::loginWindowModeless() const {
    return m_loginMenu != nullptr && m_loginMenu->loginWindowModeless();
}

void CAlbumoraDlg::ShowAbout() {
    ShowAboutBox(this);
}

}  // namespace albumora::gui
