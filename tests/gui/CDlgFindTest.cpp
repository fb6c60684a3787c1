#include "gui/dialogs/CDlgFind.h"

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

#include "MessageRecorder.h"

namespace albumora::gui {
namespace {

struct Album {
    QString name;
    int pictures;
};

// The album grid as find and filter see it: a table view over a model, rebuilt from the album list
// with the filter keyword applied while the rows are added.
class TableFindTarget : public FindTarget {
public:
    explicit TableFindTarget(QList<Album> albums) : m_albums(std::move(albums)) {
        m_view.setModel(&m_model);
        m_view.setSelectionBehavior(QAbstractItemView::SelectRows);
        m_view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        Rebuild();
    }

    int RowCount() const override { return m_model.rowCount(); }
    int ColumnCount() const override { return m_model.columnCount(); }
    QString CellText(int row, int column) const override { return m_model.item(row, column)->text(); }
    int FocusRow() const override {
        const QModelIndex current = m_view.selectionModel()->currentIndex();
        return current.isValid() ? current.row() : -1;
    }
    void SelectRow(int row) override {
        m_view.selectionModel()->setCurrentIndex(
            m_model.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view.scrollTo(m_model.index(row, 0));
    }
    void SetSingleRowSelection(bool on) override {
        m_view.setSelectionMode(on ? QAbstractItemView::SingleSelection
                                   : QAbstractItemView::ExtendedSelection);
    }
    void ApplyFilter(const QString& keyword) override {
        ++rebuilds;
        m_filter = keyword;
        Rebuild();
    }

    QStringList Names() const {
        QStringList names;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            names << m_model.item(row, 1)->text();
        }
        return names;
    }
    QTableView& view() { return m_view; }

    int rebuilds = 0;

private:
    void Rebuild() {
        m_model.clear();
        m_model.setColumnCount(6);
        for (const Album& album : m_albums) {
            if (!m_filter.isEmpty() && !album.name.contains(m_filter, Qt::CaseSensitive)) {
                continue;
            }
            const int number = m_model.rowCount() + 1;
            QList<QStandardItem*> cells{
                new QStandardItem(QString::asprintf("%04d", number)),
                new QStandardItem(album.name),
                new QStandardItem(album.pictures < 0 ? QStringLiteral("未知")
                                                     : QString::asprintf("%4u", unsigned(album.pictures))),
                new QStandardItem(QString()),
                new QStandardItem(QString()),
                new QStandardItem(QString())};
            m_model.appendRow(cells);
        }
    }

    QList<Album> m_albums;
    QString m_filter;
    QStandardItemModel m_model;
    QTableView m_view;
};

const QList<Album> kAlbums{
    {"Summer trip", 12},     // 0001
    {"winter cats", 30},     // 0002
    {"Cats and dogs", 5},    // 0003
    {"风景 landscape", 12},  // 0004
    {"album 0012", 1000},    // 0005
    {"旅行", -1},            // 0006
};

class DlgFindTest : public ::testing::Test {
protected:
    DlgFindTest() : target(kAlbums), box(target, CDlgFind::Mode::Find, &target.view()) {
        box.SetMessageFunction(messages.Function());
    }

    void Next(const QString& keyword) {
        box.findChild<QLineEdit*>("keyword")->setText(keyword);
        box.findChild<QPushButton*>("nextButton")->click();
    }
    void Previous(const QString& keyword) {
        box.findChild<QLineEdit*>("keyword")->setText(keyword);
        box.findChild<QPushButton*>("previousButton")->click();
    }
    void SetOptions(bool matchCase, bool wholeCell) {
        box.findChild<QCheckBox*>("matchCase")->setChecked(matchCase);
        box.findChild<QCheckBox*>("wholeCell")->setChecked(wholeCell);
    }
    QList<int> SelectedRows() {
        QList<int> rows;
        for (const QModelIndex& index : target.view().selectionModel()->selectedRows()) {
            rows << index.row();
        }
        return rows;
    }

    TableFindTarget target;
    test::MessageRecorder messages;
    CDlgFind box;
};

TEST_F(DlgFindTest, NextFromNoFocusFindsTheFirstMatchThenWraps) {
    Next("cats");
    EXPECT_EQ(target.FocusRow(), 1);
    Next("cats");
    EXPECT_EQ(target.FocusRow(), 2);
    // Nothing after the last match: the second pass starts from the top.
    Next("cats");
    EXPECT_EQ(target.FocusRow(), 1);
    EXPECT_EQ(SelectedRows(), QList<int>{1});
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(DlgFindTest, PreviousWithoutFocusSearchesFromTheLastRowUp) {
    ASSERT_EQ(target.FocusRow(), -1);
    Previous("12");
    EXPECT_EQ(target.FocusRow(), 4);  // "album 0012" is the lowest row holding 12
    Previous("12");
    EXPECT_EQ(target.FocusRow(), 3);
    Previous("12");
    EXPECT_EQ(target.FocusRow(), 0);
    Previous("12");
    EXPECT_EQ(target.FocusRow(), 4);
}

TEST_F(DlgFindTest, NoMatchLeavesTheSelectionAndSaysNotFound) {
    target.SelectRow(2);
    Next("nowhere");
    Previous("nowhere");
    EXPECT_EQ(target.FocusRow(), 2);
    EXPECT_EQ(SelectedRows(), QList<int>{2});
    EXPECT_EQ(messages.texts,
              (QStringList{QStringLiteral("未找到“nowhere”"), QStringLiteral("未找到“nowhere”")}));
}

TEST_F(DlgFindTest, AnEmptyKeywordIsRefusedOnceAndSelectsNothing) {
    Next("   ");
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("关键字不能为空")});
    Previous("");
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_EQ(target.FocusRow(), -1);
}

TEST_F(DlgFindTest, WholeCellNeedsTheWholeTextPaddingIncluded) {
    // Row 4 numbers itself 0005 and holds "album 0012" and the count "1000"; rows 0 and 3 hold the
    // count "  12".
    SetOptions(false, true);
    Next("12");
    EXPECT_EQ(target.FocusRow(), -1);
    Next("0003");
    EXPECT_EQ(target.FocusRow(), 2);

    SetOptions(false, false);
    target.SelectRow(2);
    Next("12");
    EXPECT_EQ(target.FocusRow(), 3);
    Next("0012");
    EXPECT_EQ(target.FocusRow(), 4);
}

TEST_F(DlgFindTest, MatchCaseDecidesWhetherLetterCaseCounts) {
    SetOptions(false, false);
    Next("CATS");
    EXPECT_EQ(target.FocusRow(), 1);

    SetOptions(true, false);
    target.SelectRow(0);
    Next("CATS");
    EXPECT_EQ(target.FocusRow(), 0);
    Next("Cats");
    EXPECT_EQ(target.FocusRow(), 2);

    SetOptions(false, true);
    Next("SUMMER TRIP");
    EXPECT_EQ(target.FocusRow(), 0);
}

TEST_F(DlgFindTest, SingleRowSelectionOnlyWhileShown) {
    box.OpenFind();
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(target.view().selectionMode(), QAbstractItemView::SingleSelection);
    box.findChild<QPushButton*>("closeButton")->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(target.view().selectionMode(), QAbstractItemView::ExtendedSelection);

    // The box is only hidden: its keyword and options are there when it opens again.
    box.findChild<QLineEdit*>("keyword")->setText("cats");
    box.findChild<QCheckBox*>("matchCase")->setChecked(true);
    box.OpenFind();
    EXPECT_EQ(box.Keyword(), "cats");
    EXPECT_TRUE(box.findChild<QCheckBox*>("matchCase")->isChecked());
    box.hide();
}

TEST_F(DlgFindTest, DraggingTheBodyMovesTheBox) {
    box.OpenFind();
    const QPoint start = box.pos();
    const QPoint grip(box.width() / 2, box.height() - 3);
    const auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, box.mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&box, &event);
    };
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, grip + QPoint(40, 25), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, grip + QPoint(40, 25), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(box.pos(), start + QPoint(40, 25));
    box.hide();
}

TEST(DlgFindFilter, FilterThenEmptyFilterRestoresAllAlbums) {
    TableFindTarget target(kAlbums);
    const auto runFilter = [&](const QString& keyword) {
        CDlgFind filter(target, CDlgFind::Mode::Filter);
        filter.findChild<QLineEdit*>("keyword")->setText(keyword);
        filter.findChild<QPushButton*>("nextButton")->click();
        EXPECT_EQ(filter.result(), QDialog::Accepted);
    };

    runFilter(" cats ");
    EXPECT_EQ(target.Names(), QStringList{"winter cats"});  // case-sensitive, blanks trimmed
    EXPECT_EQ(target.CellText(0, 0), "0001");
    runFilter("");
    EXPECT_EQ(target.Names().size(), kAlbums.size());
    EXPECT_EQ(target.rebuilds, 2);
}

TEST(DlgFindFilter, CancelChangesNothing) {
    TableFindTarget target(kAlbums);
    CDlgFind filter(target, CDlgFind::Mode::Filter);
    filter.findChild<QLineEdit*>("keyword")->setText("cats");
    filter.findChild<QPushButton*>("closeButton")->click();
    EXPECT_EQ(filter.result(), QDialog::Rejected);
    EXPECT_EQ(target.rebuilds, 0);
    EXPECT_EQ(target.Names().size(), kAlbums.size());
}

TEST(DlgFindFilter, RunFilterHidesTheFindBoxAndRunsModally) {
    TableFindTarget target(kAlbums);
    CDlgFind findBox(target, CDlgFind::Mode::Find, &target.view());
    findBox.OpenFind();
    bool findBoxHidden = false;
    bool keywordHasFocus = false;
    // Should the box not be found, the guard ends the modal run instead of hanging the suite.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    guard.start(10000);
    QTimer::singleShot(0, [&] {
        auto* modal = qobject_cast<CDlgFind*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        findBoxHidden = !findBox.isVisible();
        keywordHasFocus = modal->focusWidget() == modal->findChild<QLineEdit*>("keyword");
        modal->findChild<QLineEdit*>("keyword")->setText("风景");
        modal->findChild<QPushButton*>("nextButton")->click();
    });
    EXPECT_TRUE(CDlgFind::RunFilter(target, &target.view(), &findBox));
    EXPECT_TRUE(findBoxHidden);
    // The first keys typed go into the keyword.
    EXPECT_TRUE(keywordHasFocus);
    EXPECT_EQ(target.view().selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(target.Names(), QStringList{"风景 landscape"});
}

}  // namespace
}  // namespace albumora::gui
