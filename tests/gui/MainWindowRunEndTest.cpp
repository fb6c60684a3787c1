#include <QProgressBar>

#include "MainWindowTest.h"

namespace albumora::test {
namespace {

TEST_F(MainWindowTest, TheBusyBarEndsWithARunWhoseLastAlbumCollectsNothing) {
    FakeDuitangUser user;
    user.albums.push_back({"900", "空册", {}});
    ServeDuitangUser(SharedTestServer(), user);
    OpenWindow();
    auto* progress = Control<QProgressBar>("pictureProgress");
    StartList("http://www.duitang.com/album/900/");
    ASSERT_TRUE(WaitForDownloadEnd());
    EXPECT_TRUE(WaitUntil([&] { return !progress->isVisible(); }));
}

}  // namespace
}  // namespace albumora::test
