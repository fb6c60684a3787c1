#include "gui/dialogs/CDlgFind.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace albumora::gui {

CDlgFind::CDlgFind(FindTarget& target, Mode mode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_target(target),
      m_mode(mode),
      m_keyword(new QLineEdit),
      m_matchCase(new QCheckBox(QStringLiteral("区分大小写"))),
      m_wholeCell(new QCheckBox(QStringLiteral("全字匹配"))),
      m_previous(new QPushButton(QStringLiteral("上一个"))),
      m_next(new QPushButton(mode == Mode::Find ? QStringLiteral("下一个") : QStringLiteral("筛选"))),
      m_close(new QPushButton(QStringLiteral("×"))) {
    setWindowTitle(QStringLiteral("相册搜索"));
    m_keyword->setObjectName(QStringLiteral("keyword"));
    m_matchCase->setObjectName(QStringLiteral("matchCase"));
    m_wholeCell->setObjectName(QStringLiteral("wholeCell"));
    m_previous->setObjectName(QStringLiteral("previousButton"));
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_close->setObjectName(QStringLiteral("closeButton"));

    // Without a caption bar the box draws its own edge and title line.
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto* title = new QLabel(QStringLiteral("相册搜索"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    m_close->setFlat(true);
    m_close->setAutoDefault(false);
    // Esc closes the box; the keys typed first belong in the keyword field.
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setFixedWidth(m_close->sizeHint().height());
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(title);
    titleRow->addStretch();
    titleRow->addWidget(m_close);

    auto* keywordRow = new QHBoxLayout;
    keywordRow->addWidget(new QLabel(QStringLiteral("关键字:")));
    keywordRow->addWidget(m_keyword, 1);

    auto* optionRow = new QHBoxLayout;
    optionRow->addWidget(m_matchCase);
    optionRow->addWidget(m_wholeCell);
    optionRow->addStretch();

    m_next->setDefault(true);
    m_previous->setAutoDefault(false);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_previous);
    buttonRow->addWidget(m_next);

    auto* inner = new QVBoxLayout(frame);
    inner->addLayout(titleRow);
    inner->addLayout(keywordRow);
    inner->addLayout(optionRow);
    inner->addLayout(buttonRow);

    const bool find = mode == Mode::Find;
    m_matchCase->setVisible(find);
    m_wholeCell->setVisible(find);
    m_previous->setVisible(find);
    if (find) {
        connect(m_next, &QPushButton::clicked, this, &CDlgFind::FindNext);
        connect(m_previous, &QPushButton::clicked, this, &CDlgFind::FindPrevious);
        connect(m_close, &QPushButton::clicked, this, &QDialog::hide);
    } else {
        connect(m_next, &QPushButton::clicked, this, &CDlgFind::ConfirmFilter);
        connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    }
}

QString CDlgFind::Keyword() const {
    return m_keyword->text().trimmed();
}

void CDlgFind::OpenFind() {
    m_target.SetSingleRowSelection(true);
    show();
    CentreOverParent();
    raise();
    activateWindow();
    m_keyword->setFocus();
}

bool CDlgFind::RunFilter(FindTarget& target, QWidget* parent, CDlgFind* findBox) {
    if (findBox != nullptr && findBox->isVisible()) {
        findBox->hide();
    }
    CDlgFind filterBox(target, Mode::Filter, parent);
    filterBox.CentreOverParent();
    filterBox.m_keyword->setFocus();
    return filterBox.exec() == QDialog::Accepted;
}

void CDlgFind::FindNext() {
    if (!Search(m_target.FocusRow(), SearchDirection::Forward) && !Search(-1, SearchDirection::Forward)) {
        SayNotFound();
    }
}

void CDlgFind::FindPrevious() {
    if (!Search(m_target.FocusRow(), SearchDirection::Backward) &&
        !Search(m_target.RowCount(), SearchDirection::Backward)) {
        SayNotFound();
    }
}

void CDlgFind::SayNotFound() {
    // Silence would read as a search that did not run; the row still selected is the last match.
    m_message(this, QStringLiteral("未找到“%1”").arg(Keyword()));
}

void CDlgFind::ConfirmFilter() {
    m_target.ApplyFilter(Keyword());
    accept();
}

bool CDlgFind::Search(int start, SearchDirection direction) {
    const QString keyword = Keyword();
    if (keyword.isEmpty()) {
        m_message(this, QStringLiteral("关键字不能为空"));
        return true;
    }
    const int row =
        FindMatchingRow(m_target, start, direction, keyword,
                        {.matchCase = m_matchCase->isChecked(), .wholeCell = m_wholeCell->isChecked()});
    if (row < 0) {
        return false;
    }
    m_target.SelectRow(row);
    return true;
}

void CDlgFind::CentreOverParent() {
    adjustSize();
    QRect area;
    if (parentWidget() != nullptr && parentWidget()->window()->isVisible()) {
        area = parentWidget()->window()->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        move(area.center() - rect().center());
    }
}

void CDlgFind::hideEvent(QHideEvent* event) {
    // However the find box goes away ("×", Escape, the filter box), multi-row selection returns.
    if (m_mode == Mode::Find) {
        m_target.SetSingleRowSelection(false);
    }
    m_dragging = false;
    QDialog::hideEvent(event);
}

void CDlgFind::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    // The window system moves the box where it can (Wayland allows nothing else); elsewhere the
    // box follows the mouse itself.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void CDlgFind::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CDlgFind::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace albumora::gui
