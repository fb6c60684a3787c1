#pragma once

#include <QComboBox>
#include <QStringList>

#include "core/settings/ComboHistory.h"

class QCompleter;
class QStringListModel;

namespace albumora::gui {

// An editable box with a remembered history. While the user types, a list opens under the box with
// the history entries that contain the typed text (in their stored case, cut before the history's cut
// marker), and the typed text and caret stay as they were; the arrow button opens the whole history in its
// stored case.
class CComboBox2 final : public QComboBox {
    Q_OBJECT

public:
    explicit CComboBox2(QWidget* parent = nullptr);

    // Remembers an entry; the lists show it from their next opening.
    void AddHistoryItem(const QString& text);
    void ClearHistory();
    QStringList HistoryItems() const;

    // The entries of the list that typing opens, and whether it is open.
    QStringList FilteredItems() const;
    bool FilteredListVisible() const;

    void showPopup() override;

signals:
    // The user changed the text (also after the filtering has run).
    void editChanged(const QString& text);
    // The user picked an entry from either list; it is in the edit field already.
    void entryPicked(const QString& text);
    // Enter or the keypad's Enter in the edit field, unless it picked an entry from a list.
    void enterPressed();

protected:
    // The box is its line edit's focus proxy: a real key comes here and goes on to the line edit
    // past that widget's event filters, so Enter is told here.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FilterWhileTyping(const QString& typed);
    void HideFilteredList();

    ComboHistory m_history;
    QStringListModel* m_filteredModel;
    QCompleter* m_filteredList;
};

}  // namespace albumora::gui
