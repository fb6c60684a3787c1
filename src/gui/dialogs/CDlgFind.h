#pragma once

#include <QDialog>
#include <QPoint>

#include "gui/dialogs/DialogParts.h"
#include "gui/dialogs/FindTarget.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace albumora::gui {

// The album search box ("相册搜索"), frameless and moved by dragging its body. In find mode it is a
// modeless box that the window keeps for its whole life and only shows and hides; in filter mode
// it runs modally and rebuilds the grid with the keyword once.
//
//     m_findBox = new CDlgFind(m_gridTarget, CDlgFind::Mode::Find, this);  // on first use
//     m_findBox->OpenFind();
//     CDlgFind::RunFilter(m_gridTarget, this, m_findBox);
class CDlgFind : public QDialog {
    Q_OBJECT

public:
    enum class Mode { Find, Filter };

    CDlgFind(FindTarget& target, Mode mode, QWidget* parent = nullptr);

    void SetMessageFunction(MessageFunction message) { m_message = std::move(message); }

    // Find mode: one selected row at a time, the box shown and centred over the parent window.
    void OpenFind();

    // Filter mode: hides `findBox` when it is shown, then runs a filter box over `target`. True when
    // the grid was rebuilt.
    static bool RunFilter(FindTarget& target, QWidget* parent, CDlgFind* findBox);

    Mode mode() const { return m_mode; }
    // The keyword as typed, blanks at both ends removed.
    QString Keyword() const;

public slots:
    // "下一个": from the row after the focus row, then once more from the first row.
    void FindNext();
    // "上一个": from the row above the focus row, then once more from the last row.
    void FindPrevious();
    // "筛选": the keyword rebuilds the grid, and the box closes.
    void ConfirmFilter();

protected:
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // True when a row was selected, and when the keyword is empty (after telling the user), so that
    // no second pass runs.
    bool Search(int start, SearchDirection direction);
    void SayNotFound();
    void CentreOverParent();

    FindTarget& m_target;
    Mode m_mode;
    MessageFunction m_message = ShowMessageBox;
    QLineEdit* m_keyword;
    QCheckBox* m_matchCase;
    QCheckBox* m_wholeCell;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_close;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

}  // namespace albumora::gui
