#pragma once

#include <QDialog>

#include "core/settings/PersistentSettings.h"
#include "gui/dialogs/DialogParts.h"

class QButtonGroup;
class QLineEdit;

namespace albumora::gui {

// The file-name settings dialog ("设置") over the current site's naming record. The record
// changes only when OK is accepted; the caller then saves the settings, as with CDlgDownSet.
class CDlgSaveSet : public QDialog {
    Q_OBJECT

public:
    explicit CDlgSaveSet(SiteNamingRecord& record, QWidget* parent = nullptr);

    void SetMessageFunction(MessageFunction message) { m_message = std::move(message); }

    // What the "前后缀说明" link shows.
    static QString HelpText();

public slots:
    // The "确 定" button: stores the six texts (38 characters at most) and the two modes, and closes
    // with Accepted; an album-folder mode other than 0 or 1 is refused with a message.
    void OnConfirm();
    void OnHelp();

private:
    SiteNamingRecord& m_record;
    MessageFunction m_message = ShowMessageBox;
    QLineEdit* m_pictureNamePrefix;
    QLineEdit* m_pictureNameSuffix;
    QLineEdit* m_replaceFrom;
    QLineEdit* m_replaceTo;
    QLineEdit* m_albumFolderPrefix;
    QLineEdit* m_albumFolderSuffix;
    QButtonGroup* m_pictureNameModes;
    QButtonGroup* m_albumFolderModes;
};

}  // namespace albumora::gui
