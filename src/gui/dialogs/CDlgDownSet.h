#pragma once

#include <QDialog>

#include "core/settings/PersistentSettings.h"
#include "gui/dialogs/DialogParts.h"

class QLineEdit;
class QPushButton;

namespace albumora::gui {

// The download parameters dialog ("设置") over the current site's record. The record changes only
// when OK is accepted; the caller then saves the settings. A refused OK leaves the record as it
// was, so that cancelling afterwards cannot leave a thread count of 0 or a time-out below 10 in the
// running program.
//
//     SiteDownloadParams params = workflow.SettingsCopy().downloadParams[site];
//     if (CDlgDownSet(params, this).exec() == QDialog::Accepted) {
//         workflow.EditSettings([&](PersistentSettings& s) { s.downloadParams[site] = params; });
//     }
class CDlgDownSet : public QDialog {
    Q_OBJECT

public:
    explicit CDlgDownSet(SiteDownloadParams& params, QWidget* parent = nullptr);

    void SetMessageFunction(MessageFunction message) { m_message = std::move(message); }

public slots:
    // The "确 定" button: reads the four edits, checks the thread count and the time-out, and on
    // success stores them and closes with Accepted; otherwise tells "参数错误" and stays open.
    void OnConfirm();

private:
    SiteDownloadParams& m_params;
    MessageFunction m_message = ShowMessageBox;
    QLineEdit* m_threads;
    QLineEdit* m_timeout;
    QLineEdit* m_minSize;
    QLineEdit* m_maxSize;
};

}  // namespace albumora::gui
