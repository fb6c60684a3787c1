#include "gui/CComboBox2.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringListModel>

#include "gui/QtText.h"

namespace albumora::gui {

CComboBox2::CComboBox2(QWidget* parent)
    : QComboBox(parent), m_filteredModel(new QStringListModel(this)), m_filteredList(new QCompleter(this)) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The box's own completer would complete inline; the filtered list takes its place.
    setCompleter(nullptr);

    m_filteredList->setModel(m_filteredModel);
    m_filteredList->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_filteredList->setCaseSensitivity(Qt::CaseInsensitive);
    m_filteredList->setWidget(lineEdit());
    m_filteredList->popup()->setCursor(Qt::ArrowCursor);

    connect(lineEdit(), &QLineEdit::textEdited, this, &CComboBox2::FilterWhileTyping);
    connect(m_filteredList, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& text) {
                setEditText(text);
                emit entryPicked(text);
            });
    connect(this, &QComboBox::textActivated, this, &CComboBox2::entryPicked);
}

void CComboBox2::AddHistoryItem(const QString& text) {
    m_history.AddHistoryItem(ToWString(text));
}

void CComboBox2::ClearHistory() {
    m_history.Clear();
}

QStringList CComboBox2::HistoryItems() const {
    QStringList items;
    for (const WString& item : m_history.Items()) {
        items.push_back(ToQString(item));
    }
    return items;
}

QStringList CComboBox2::FilteredItems() const {
    return m_filteredModel->stringList();
}

bool CComboBox2::FilteredListVisible() const {
    return m_filteredList->popup()->isVisible();
}

void CComboBox2::HideFilteredList() {
    m_filteredList->popup()->hide();
}

void CComboBox2::FilterWhileTyping(const QString& typed) {
    if (typed.isEmpty()) {
        HideFilteredList();
        emit editChanged(typed);
        return;
    }
    const int caret =
        lineEdit()->hasSelectedText() ? lineEdit()->selectionStart() : lineEdit()->cursorPosition();
    QStringList entries;
    for (const WString& entry : m_history.FilterHistory(ToWString(typed))) {
        entries.push_back(ToQString(entry));
    }
    m_filteredModel->setStringList(entries);
    if (entries.isEmpty()) {
        HideFilteredList();
    } else {
        // An entry that starts with the typed text is highlighted; Enter takes it.
        m_filteredList->setCompletionPrefix(typed);
        m_filteredList->complete();
    }
    if (lineEdit()->text() != typed) {
        lineEdit()->setText(typed);
    }
    lineEdit()->setCursorPosition(caret);
    emit editChanged(typed);
}

void CComboBox2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterPressed();
    }
    QComboBox::keyPressEvent(event);
}

void CComboBox2::showPopup() {
    HideFilteredList();
    const QString text = lineEdit()->text();
    const int caret = lineEdit()->cursorPosition();
    {
        // Refilling the list must not look like an edit to the owner.
        const QSignalBlocker quiet(this);
        clear();
        for (const WString& item : m_history.Items()) {
            addItem(ToQString(item));
        }
        setCurrentIndex(-1);
        lineEdit()->setText(text);
    }
    lineEdit()->setCursorPosition(caret);
    QComboBox::showPopup();
}

}  // namespace albumora::gui
