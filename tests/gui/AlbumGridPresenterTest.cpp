// The grid's presenter without the window: a worker's albums and the states of a run.
#include "gui/grid/AlbumGridPresenter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "core/workflow/Workflow.h"
#include "gui/grid/CMyGridCtrl.h"
#include "support/RecordingView.h"
#include "support/TempFolder.h"

namespace albumora::test {
namespace {

class AlbumGridPresenterTest : public ::testing::Test {
protected:
    void AddAlbum(const WString& name, int rating) {
        ST_PERLISTRECORD album;
        album.name = name;
        album.rating = rating;
        album.listIndex = static_cast<int>(workflow.albums.size());
        workflow.albums.AddAlbumRecord(album);
    }
    // Lists the album at `position` from a thread of its own, as the list worker does.
    void ListFromWorker(int position) {
        std::thread([&] { presenter.ShowListedAlbum(position); }).join();
    }
    int DataRows() const { return grid.GetRowCount() - grid.GetFixedRowCount(); }
    QString StateAt(int position) const {
        return grid.model()->index(position, 1).data(gui::GridModel::kStateRole).toString();
    }

    TempFolder settings;
    RecordingView view;
    Workflow workflow{view, settings.path(), nullptr};
    gui::CMyGridCtrl grid;
    gui::AlbumGridPresenter presenter{grid, workflow};
};

TEST_F(AlbumGridPresenterTest, AWorkersAlbumIsShownUnlessTheGridIsSetUpAgainFirst) {
    AddAlbum(u"一", 0);
    AddAlbum(u"二", 0);
    ListFromWorker(0);
    // Queued onto the window's thread, not shown from the worker's.
    EXPECT_EQ(DataRows(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(DataRows(), 1);

    ListFromWorker(1);
    presenter.ClearForNewList();
    QCoreApplication::processEvents();
    EXPECT_EQ(DataRows(), 0);
}

TEST_F(AlbumGridPresenterTest, AnAlbumsRunStateFollowsItThroughARatingSort) {
    AddAlbum(u"低分", 1);
    AddAlbum(u"高分", 5);
    ListFromWorker(0);
    ListFromWorker(1);
    QCoreApplication::processEvents();
    bool shownDescending = false;
    QObject::connect(&presenter, &gui::AlbumGridPresenter::ratingOrderShown,
                     [&](bool descending) { shownDescending = descending; });

    presenter.ShowAlbumState(0, AlbumRunState::Done, 1, 1, 0);
    presenter.SortByRating();
    EXPECT_TRUE(shownDescending);
    EXPECT_EQ(grid.GetItemText(1, 1), QStringLiteral("高分"));
    EXPECT_EQ(StateAt(0), QString());
    EXPECT_EQ(StateAt(1), QStringLiteral("完成"));
}

}  // namespace
}  // namespace albumora::test
