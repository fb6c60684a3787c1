#include "core/workflow/Workflow.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>

#include "core/net/CookieStore.h"
#include "core/settings/AlbumMarker.h"
#include "core/settings/SettingsStore.h"
#include "core/text/CodePage.h"
#include "core/text/Utf16Bytes.h"
#include "core/workflow/Messages.h"
#include "support/FakeSites.h"
#include "support/RecordingClock.h"
#include "support/RecordingView.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

namespace albumora {
namespace {

using test::FakeDuitangUser;
using test::FakeHuabanBoard;
using test::ReadFile;
using test::SharedTestServer;

// One workflow against the fake sites, reached through http_proxy with the sites' real addresses.
class WorkflowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SharedTestServer().ClearRoutes();
        SharedTestServer().ClearRequests();
        m_proxy.emplace("http_proxy", SharedTestServer().proxyUrl());
        PersistentSettings settings = LoadSettings(m_settings.path()).settings;
        settings.namingRecords[18].pictureNameMode = 0;
        m_workflow = std::make_unique<Workflow>(view, m_settings.path(), &cookies, clock);
        m_workflow->ResetSettings(settings);
        view.workflow = m_workflow.get();
        view.saveFolder = FromUtf8(m_save.path());
        m_workflow->MarkReady();
    }
    void TearDown() override {
        m_workflow.reset();
        m_proxy.reset();
    }

    Workflow& workflow() { return *m_workflow; }

    void EditSite(const std::function<void(SiteNamingRecord&, SiteDownloadParams&)>& edit) {
        workflow().EditSettings(
            [&](PersistentSettings& s) { edit(s.namingRecords[18], s.downloadParams[18]); });
    }

    // Lists the address; a single board or album downloads right away.
    void List(const std::string& address) {
        view.address = FromUtf8(address);
        ASSERT_TRUE(workflow().OnListButton());
        workflow().WaitForWorkers();
    }
    void Download() {
        ASSERT_TRUE(workflow().OnDownloadButton());
        workflow().WaitForWorkers();
    }

    std::string saveFolder() const { return m_save.path(); }
    std::vector<std::string> Files(const std::string& folder) const {
        return test::ListFolder(m_save.path() + folder);
    }

    std::vector<test::RecordedRequest> RequestsTo(const std::string& host) const {
        return SharedTestServer().requestsToHost(host);
    }

    test::RecordingView view;
    test::RecordingClock clock;
    CookieStore cookies;

private:
    test::TempFolder m_settings;
    test::TempFolder m_save;
    std::optional<test::ScopedEnv> m_proxy;
    std::unique_ptr<Workflow> m_workflow;
};

FakeDuitangUser OneAlbumUser(int count) {
    FakeDuitangUser user;
    user.albums.push_back({"600", "合集", test::MakeDuitangPictures("600", count)});
    return user;
}

TEST_F(WorkflowTest, HuabanBoardListsOneAlbumAndDownloadsItAtOnce) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(5000, 45);
    board.pins[3].description = "同名";
    board.pins[4].description = "同名";
    test::ServeHuabanBoard(SharedTestServer(), board);

    List("http://huaban.com/boards/1001/?from=share");

    ASSERT_EQ(workflow().albums.size(), 1u);
    EXPECT_EQ(workflow().albums.AlbumAt(0)->name, u"猫咪 & 狗");
    EXPECT_EQ(workflow().albums.AlbumAt(0)->pictureCount, 45);
    EXPECT_EQ(view.downloadsStarted(), 1);

    // The board page is fetched once, without its query, and doubles as the first page of pins.
    const auto pages = RequestsTo("huaban.com");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].query, "");
    EXPECT_EQ(pages[0].Header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(pages[1].query, "hxzmqq1s&max=4981&limit=20&wfl=1");
    EXPECT_EQ(pages[2].query, "hxzmqq2s&max=4961&limit=20&wfl=1");
    EXPECT_EQ(pages[1].Header("Referer"), "http://huaban.com/boards/1001/");
    EXPECT_EQ(pages[1].Header("Accept-Encoding"), "gzip, deflate");
    // 2 s after each page that did not end the album.
    EXPECT_EQ(clock.pauses(), (std::vector<std::chrono::milliseconds>(2, std::chrono::milliseconds(2000))));

    const auto files = Files("alice/猫咪 & 狗/");
    EXPECT_EQ(files.size(), 45u + 1u);  // and the marker
    EXPECT_TRUE(std::count(files.begin(), files.end(), "同名.jpg"));
    EXPECT_TRUE(std::count(files.begin(), files.end(), "同名(1).jpg"));
    EXPECT_TRUE(std::count(files.begin(), files.end(), "图5000.jpg"));
    EXPECT_EQ(RequestsTo(test::kFakeHuabanPictureHost).size(), 45u);
    EXPECT_EQ(ReadAlbumMarker(FromUtf8(saveFolder() + "alice/猫咪 & 狗/")),
              u"http://img.hb.aicdn.com/key5000");
    EXPECT_EQ(view.statusTexts(StatusLine::Main).back(), u"下载完毕");
}

TEST_F(WorkflowTest, HuabanStopsAtTheStatedPinCountAndSkipsRepeatedPins) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(900, 30);
    board.pins.insert(board.pins.begin() + 1, board.pins[0]);  // the site repeats a pin
    board.statedPinCount = 25;
    test::ServeHuabanBoard(SharedTestServer(), board);
    List("http://huaban.com/boards/1001/");
    EXPECT_EQ(RequestsTo(test::kFakeHuabanPictureHost).size(), 25u);
    EXPECT_EQ(RequestsTo("huaban.com").size(), 2u);
}

TEST_F(WorkflowTest, HuabanBoardWithNoPinsCollectsNothing) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(900, 5);
    board.statedPinCount = 0;
    test::ServeHuabanBoard(SharedTestServer(), board);
    List("http://huaban.com/boards/1001/");
    EXPECT_EQ(workflow().albums.size(), 1u);
    EXPECT_TRUE(RequestsTo(test::kFakeHuabanPictureHost).empty());
    EXPECT_FALSE(ReadFile(saveFolder() + "alice/猫咪 & 狗/pic.kvx").exists);
}

TEST_F(WorkflowTest, HuabanPageFailuresEndTheAlbumAfterThreeTries) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(900, 30);
    test::ServeHuabanBoard(SharedTestServer(), board);
    List("http://huaban.com/boards/1001/");
    const size_t firstRun = RequestsTo(test::kFakeHuabanPictureHost).size();
    EXPECT_EQ(firstRun, 30u);

    // Every further page answers a gateway time-out: three tries, 6 s apart, then the album ends.
    SharedTestServer().ClearRequests();
    SharedTestServer().Route("huaban.com", "/boards/1001/", [](const test::RecordedRequest&) {
        return test::Response{.status = 504, .body = "<html><h1>504 Gateway Time-out</h1></html>"};
    });
    Download();
    EXPECT_EQ(RequestsTo("huaban.com").size(), 3u);
    size_t failurePauses = 0;
    for (auto pause : clock.pauses()) {
        failurePauses += pause == std::chrono::milliseconds(6000);
    }
    EXPECT_EQ(failurePauses, 3u);
    // The 6 s are the whole wait, and the user hears that the gateway was busy.
    const auto pauses = clock.pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), std::chrono::milliseconds(1000)), 0);
    const DownloadRunResult result = workflow().lastRunResult();
    ASSERT_EQ(result.incompleteAlbums.size(), 1u);
    EXPECT_NE(result.incompleteAlbums[0].find(u"服务器繁忙（504 Gateway Time-out）"), WString::npos);
}

TEST_F(WorkflowTest, HuabanPagesThatFailOnceNowAndThenDoNotEndTheBoard) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(1000, 100);
    test::ServeHuabanBoard(SharedTestServer(), board);
    // Pages 2, 3 and 4 each fail once, with good pages between: three failures, never in a row.
    for (const char* query : {"?hxzmqq1s&max=981&limit=20&wfl=1", "?hxzmqq2s&max=961&limit=20&wfl=1",
                              "?hxzmqq3s&max=941&limit=20&wfl=1"}) {
        const std::string path = std::string("/boards/1001/") + query;
        CURLSource page;
        ASSERT_TRUE(FetchUrl(ST_URLREQUEST(u"http://huaban.com" + FromUtf8(path)), page, 0));
        SharedTestServer().RouteSequence(
            "huaban.com", path,
            {test::Response{.status = 503, .body = "busy"}, test::Response{.body = page.body}});
    }
    SharedTestServer().ClearRequests();
    List("http://huaban.com/boards/1001/");
    EXPECT_EQ(RequestsTo(test::kFakeHuabanPictureHost).size(), 100u);
    EXPECT_TRUE(workflow().lastRunResult().Complete());
}

TEST_F(WorkflowTest, HuabanPinPageThatKeepsFailingLeavesTheAlbumIncompleteAndUnmarked) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(1000, 45);
    test::ServeHuabanBoard(SharedTestServer(), board);
    // The first page after the board page (which holds pins 1000 to 981) answers 503 every time.
    SharedTestServer().Route("huaban.com", "/boards/1001/?hxzmqq1s&max=981&limit=20&wfl=1",
                             test::Response{.status = 503, .body = "<html>Service Unavailable</html>"});
    List("http://huaban.com/boards/1001/");

    EXPECT_EQ(Files("alice/猫咪 & 狗/").size(), 20u);
    EXPECT_FALSE(ReadFile(saveFolder() + "alice/猫咪 & 狗/pic.kvx").exists);
    const DownloadRunResult result = workflow().lastRunResult();
    EXPECT_FALSE(result.Complete());
    ASSERT_EQ(result.incompleteAlbums.size(), 1u);
    EXPECT_EQ(
        result.incompleteAlbums[0],
        u"相册“猫咪 & 狗”不完整：只获取到20/45张图片信息（第2页图片列表读取失败：服务器回答 HTTP 503）");
    const WString last = view.statusTexts(StatusLine::Main).back();
    EXPECT_TRUE(last.starts_with(u"下载未完成；相册“猫咪 & 狗”不完整")) << ToUtf8(last);
    // The site's rate limit is still waited out: three tries, 6 s apart.
    EXPECT_EQ(SharedTestServer().requestsFor("/boards/1001/").size(), 1u + 3u);
}

TEST_F(WorkflowTest, HuabanBoardPageThatFailsIsAFailedListingNotAnEmptyOne) {
    SharedTestServer().Route("huaban.com", "/boards/1001/", test::Response{.status = 503, .body = "busy"});
    List("http://huaban.com/boards/1001/");
    EXPECT_EQ(workflow().albums.size(), 0u);
    EXPECT_EQ(view.downloadsStarted(), 0);
    const ListRunResult result = workflow().lastListResult();
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(view.statusTexts(StatusLine::Main).back(),
              u"获取相册列表失败：画板页面读取失败：服务器回答 HTTP 503");
    // The board page's own four attempts, 4 s apart.
    EXPECT_EQ(SharedTestServer().requestsFor("/boards/1001/").size(), 4u);
}

TEST_F(WorkflowTest, AddressesAsBrowsersShowThemReachTheSameRequests) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(300, 3);
    test::ServeHuabanBoard(SharedTestServer(), board);
    EditSite(
        [](SiteNamingRecord& naming, SiteDownloadParams&) { naming.optionFlags |= OPT_THUNDER_LIST_ONLY; });
    for (const char* address :
         {"https://huaban.com/boards/1001/", "https://www.huaban.com/boards/1001/?x=1"}) {
        SharedTestServer().ClearRequests();
        List(address);
        ASSERT_EQ(workflow().albums.size(), 1u) << address;
        const auto pages = RequestsTo("huaban.com");
        ASSERT_FALSE(pages.empty()) << address;
        EXPECT_EQ(pages[0].target, "http://huaban.com/boards/1001/") << address;
    }
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(2));
    for (const char* address :
         {"https://duitang.com/people/?user_id=7788", "https://duitang.com/album/?id=600"}) {
        SharedTestServer().ClearRequests();
        List(address);
        ASSERT_EQ(workflow().albums.size(), 1u) << address;
        EXPECT_EQ(
            RequestsTo("www.duitang.com").front().target,
            "http://www.duitang.com/" + std::string(address).substr(std::strlen("https://duitang.com/")));
    }

    List("https://www.pinterest.com/boards/1/");
    EXPECT_EQ(view.messages().back(), ShownText(kMsgUnsupportedAddress));
}

TEST_F(WorkflowTest, DuitangPagesThatBringNothingNewEndTheAlbumAsIncomplete) {
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(2));
    // Entries without a usable picture address, and "there is more" for ever.
    SharedTestServer().Route(
        test::kFakeDuitangHost, "/album/600/masn/p/1/24/",
        test::Response{.body = "{\"data\":{\"object_list\":[{\"photo_id\":1,\"msg\":\"x\"}],"
                               "\"has_next\":true}}"});
    List("http://www.duitang.com/album/600/");
    EXPECT_TRUE(SharedTestServer().requestsFor("/album/600/masn/p/2/24/").empty());
    const DownloadRunResult result = workflow().lastRunResult();
    ASSERT_EQ(result.incompleteAlbums.size(), 1u);
    EXPECT_NE(result.incompleteAlbums[0].find(u"第1页图片列表没有带来新的内容"), WString::npos);
}

TEST_F(WorkflowTest, FolderThatCannotBeMadeIsNamedAndItsPicturesAreNotFetched) {
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(2));
    std::filesystem::create_directories(saveFolder() + "堆糖_7788");
    test::WriteFile(saveFolder() + "堆糖_7788/合集", "a file where the album folder belongs");
    List("http://www.duitang.com/album/600/");
    EXPECT_EQ(view.messages(),
              (std::vector<WString>{u"无法创建文件夹：" + FromUtf8(saveFolder()) + u"堆糖_7788/合集"}));
    EXPECT_TRUE(RequestsTo(test::kFakeDuitangPictureHost).empty());
    EXPECT_EQ(workflow().lastRunResult().picturesFailed, 2u);
    EXPECT_FALSE(workflow().lastRunResult().Complete());
}

TEST_F(WorkflowTest, SideFilesOfLongNamesAreWrittenAndFailuresCounted) {
    EditSite(
        [](SiteNamingRecord& naming, SiteDownloadParams&) { naming.optionFlags |= OPT_THUNDER_LIST_ONLY; });
    FakeDuitangUser user = OneAlbumUser(2);
    user.albums[0].name.clear();
    for (int i = 0; i < 80; ++i) {
        user.albums[0].name += "长";
    }
    test::ServeDuitangUser(SharedTestServer(), user);
    List("http://www.duitang.com/album/600/");
    const std::string folder = "堆糖_7788/" + user.albums[0].name + "/";
    EXPECT_TRUE(ReadFile(saveFolder() + folder + user.albums[0].name + ".lst").exists);
    EXPECT_TRUE(workflow().lastRunResult().Complete());

    // The original-name file cannot be made where a folder of its name stands.
    EditSite([](SiteNamingRecord& naming, SiteDownloadParams&) {
        naming.optionFlags = (naming.optionFlags & ~OPT_THUNDER_LIST_ONLY) | OPT_ORIGINAL_NAME_FILE;
    });
    std::filesystem::create_directories(saveFolder() + folder + user.albums[0].name + ".txt");
    List("http://www.duitang.com/album/600/");
    EXPECT_EQ(workflow().lastRunResult().sideFilesFailed, 1u);
    EXPECT_NE(view.statusTexts(StatusLine::Main).back().find(u"1个附属文件无法写入"), WString::npos);
}

TEST_F(WorkflowTest, SecondRunFindsRenamedPicturesThroughTheJournal) {
    EditSite([](SiteNamingRecord& naming, SiteDownloadParams&) { naming.optionFlags |= OPT_FIX_FORMAT; });
    FakeDuitangUser user = OneAlbumUser(3);
    user.albums[0].pictures[1].kind = test::PictureKind::Png;
    test::ServeDuitangUser(SharedTestServer(), user);
    List("http://www.duitang.com/album/600/");
    EXPECT_EQ(Files("堆糖_7788/合集/"),
              (std::vector<std::string>{"pic.kvx", "说明1.jpg", "说明2.png", "说明3.jpg"}));

    // A picture removed by hand is fetched again; the others, the renamed one too, are not.
    std::filesystem::remove(saveFolder() + "堆糖_7788/合集/说明3.jpg");
    SharedTestServer().ClearRequests();
    List("http://www.duitang.com/album/600/");
    const auto pictures = RequestsTo(test::kFakeDuitangPictureHost);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].path, "/uploads/item/p600_3.jpg");
    EXPECT_EQ(workflow().lastRunResult().picturesSkipped, 2u);
    EXPECT_EQ(Files("堆糖_7788/合集/"),
              (std::vector<std::string>{"pic.kvx", "说明1.jpg", "说明2.png", "说明3.jpg"}));
    EXPECT_EQ(view.statusTexts(StatusLine::Main).back(), u"下载完毕，2张图片以前已下载");
}

TEST_F(WorkflowTest, DuitangUserAlbumsOverSeveralPagesAndOnlyTheChosenDownloaded) {
    FakeDuitangUser user;
    for (int i = 0; i < 30; ++i) {
        user.albums.push_back({std::to_string(500 + i), "专辑" + std::to_string(i),
                               test::MakeDuitangPictures(std::to_string(500 + i), 3)});
    }
    user.albums[25].pictures = test::MakeDuitangPictures("525", 30);
    test::ServeDuitangUser(SharedTestServer(), user);

    List("http://www.duitang.com/people/?user_id=7788");
    ASSERT_EQ(workflow().albums.size(), 30u);
    EXPECT_EQ(view.downloadsStarted(), 0);
    EXPECT_EQ(workflow().albums.AlbumAt(0)->coverUrl,
              u"http://c-ssl.duitang.com/uploads/item/p500_1.thumb.224_0.jpg");
    const auto lists = SharedTestServer().requestsFor("/album/list/1/24/");
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].Header("Referer"), "http://www.duitang.com/people/?user_id=7788");
    EXPECT_EQ(SharedTestServer().requestsFor("/album/list/3/24/").size(), 1u);  // the empty page ends it
    EXPECT_EQ(SharedTestServer().requestsFor("/album/list/4/24/").size(), 0u);
    // 1.5 s before each of the three list pages.
    EXPECT_EQ(clock.pauses(), (std::vector<std::chrono::milliseconds>(3, std::chrono::milliseconds(1500))));

    view.chosen = std::set<int>{1, 25};
    Download();
    EXPECT_EQ(Files("堆糖_7788/专辑1/"),
              (std::vector<std::string>{"pic.kvx", "说明1.jpg", "说明2.jpg", "说明3.jpg"}));
    EXPECT_EQ(Files("堆糖_7788/专辑25/").size(), 31u);
    EXPECT_FALSE(ReadFile(saveFolder() + "堆糖_7788/专辑0/pic.kvx").exists);
    const auto pages = SharedTestServer().requestsFor("/album/525/masn/p/2/24/");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Header("Referer"), "http://www.duitang.com/album/525/");
    EXPECT_EQ(SharedTestServer().requestsFor("/album/525/masn/p/3/24/").size(), 0u);
    // The thumbnail part is gone from every picture address.
    for (const auto& request : RequestsTo(test::kFakeDuitangPictureHost)) {
        EXPECT_EQ(request.path.find(".thumb."), std::string::npos) << request.path;
    }
    EXPECT_EQ(workflow().albums.selectedCount, 2);
}

// One Duitang album of `count` pictures served under album id 600.
TEST_F(WorkflowTest, DuitangAlbumAddressListsAndDownloadsThatAlbum) {
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(5));
    List("http://www.duitang.com/album/?id=600#top");
    ASSERT_EQ(workflow().albums.size(), 1u);
    EXPECT_EQ(workflow().albums.AlbumAt(0)->albumId, u"600");
    EXPECT_EQ(workflow().albums.AlbumAt(0)->pictureCount, 5);
    EXPECT_EQ(view.downloadsStarted(), 1);
    EXPECT_EQ(Files("堆糖_7788/合集/").size(), 6u);
    EXPECT_TRUE(SharedTestServer().requestsFor("/album/list/1/24/").empty());
}

TEST_F(WorkflowTest, SkipDownloadedCollectsOnlyWhatIsNew) {
    EditSite(
        [](SiteNamingRecord& naming, SiteDownloadParams&) { naming.optionFlags |= OPT_SKIP_DOWNLOADED; });
    FakeDuitangUser user = OneAlbumUser(4);
    test::ServeDuitangUser(SharedTestServer(), user);
    List("http://www.duitang.com/album/600/");
    EXPECT_EQ(RequestsTo(test::kFakeDuitangPictureHost).size(), 4u);

    // Unchanged: nothing is collected, nothing fetched, the marker stays.
    SharedTestServer().ClearRequests();
    List("http://www.duitang.com/album/600/");
    EXPECT_TRUE(RequestsTo(test::kFakeDuitangPictureHost).empty());

    // Three new pictures at the head of the album: exactly those.
    auto fresh = test::MakeDuitangPictures("new", 3);
    user.albums[0].pictures.insert(user.albums[0].pictures.begin(), fresh.begin(), fresh.end());
    test::ServeDuitangUser(SharedTestServer(), user);
    SharedTestServer().ClearRequests();
    List("http://www.duitang.com/album/600/");
    // The picture threads fetch in parallel, so the order of the requests is not fixed.
    std::set<std::string> fetched;
    for (const auto& request : RequestsTo(test::kFakeDuitangPictureHost)) {
        fetched.insert(request.path);
    }
    EXPECT_EQ(fetched, (std::set<std::string>{"/uploads/item/pnew_1.jpg", "/uploads/item/pnew_2.jpg",
                                              "/uploads/item/pnew_3.jpg"}));
    EXPECT_EQ(RequestsTo(test::kFakeDuitangPictureHost).size(), 3u);
    EXPECT_EQ(ReadAlbumMarker(FromUtf8(saveFolder() + "堆糖_7788/合集/")),
              u"http://c-ssl.duitang.com/uploads/item/pnew_1.jpg");
}

TEST_F(WorkflowTest, ListOnlyWritesTheGbkListAndFetchesNothing) {
    EditSite(
        [](SiteNamingRecord& naming, SiteDownloadParams&) { naming.optionFlags |= OPT_THUNDER_LIST_ONLY; });
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(3));
    List("http://www.duitang.com/album/600/");
    EXPECT_TRUE(RequestsTo(test::kFakeDuitangPictureHost).empty());
    const auto list = ReadFile(saveFolder() + "堆糖_7788/合集/合集.lst");
    ASSERT_TRUE(list.exists);
    EXPECT_EQ(list.bytes,
              "http://c-ssl.duitang.com/uploads/item/p600_1.jpg\r\n"
              "http://c-ssl.duitang.com/uploads/item/p600_2.jpg\r\n"
              "http://c-ssl.duitang.com/uploads/item/p600_3.jpg\r\n");
    EXPECT_FALSE(ReadFile(saveFolder() + "堆糖_7788/合集/pic.kvx").exists);
}

TEST_F(WorkflowTest, OriginalNameFileIsUtf16WithByteOrderMark) {
    EditSite([](SiteNamingRecord& naming, SiteDownloadParams&) {
        naming.optionFlags |= OPT_ORIGINAL_NAME_FILE;
        naming.pictureNameMode = 1;
    });
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(2));
    List("http://www.duitang.com/album/600/");
    const auto names = ReadFile(saveFolder() + "堆糖_7788/合集/合集.txt");
    ASSERT_TRUE(names.exists);
    EXPECT_EQ(names.bytes, "\xFF\xFE" + EncodeUtf16Le(u"说明1\r\n说明2\r\n"));
    EXPECT_EQ(Files("堆糖_7788/合集/"), (std::vector<std::string>{"1.jpg", "2.jpg", "pic.kvx", "合集.txt"}));
}

TEST_F(WorkflowTest, FormatAndOrderPasses) {
    EditSite([](SiteNamingRecord& naming, SiteDownloadParams&) {
        naming.optionFlags |= OPT_FIX_FORMAT | OPT_FIX_ORDER;
    });
    FakeDuitangUser user = OneAlbumUser(3);
    user.albums[0].pictures[1].kind = test::PictureKind::Png;
    user.albums[0].pictures[2].kind = test::PictureKind::Gif;
    test::ServeDuitangUser(SharedTestServer(), user);
    const std::time_t before = std::time(nullptr);
    List("http://www.duitang.com/album/600/");
    const std::string folder = saveFolder() + "堆糖_7788/合集/";
    EXPECT_EQ(Files("堆糖_7788/合集/"),
              (std::vector<std::string>{"pic.kvx", "说明1.jpg", "说明2.png", "说明3.gif"}));
    struct stat first {};
    struct stat third {};
    ASSERT_EQ(stat((folder + "说明1.jpg").c_str(), &first), 0);
    ASSERT_EQ(stat((folder + "说明3.gif").c_str(), &third), 0);
    EXPECT_GE(first.st_mtime, before);
    EXPECT_EQ(first.st_mtime - third.st_mtime, 120);
}

TEST_F(WorkflowTest, SizeLimitsLeavePicturesOutWithoutCountingThemAsFailures) {
    EditSite([](SiteNamingRecord&, SiteDownloadParams& params) { params.minSizeK = 3; });
    FakeDuitangUser user = OneAlbumUser(3);
    user.albums[0].pictures[0].size = 4096;
    test::ServeDuitangUser(SharedTestServer(), user);
    List("http://www.duitang.com/album/600/");
    // The filter is the user's wish, so the album counts as complete and gets its marker.
    EXPECT_EQ(Files("堆糖_7788/合集/"), (std::vector<std::string>{"pic.kvx", "说明1.jpg"}));
    EXPECT_EQ(workflow().lastRunResult().picturesFailed, 0u);
    EXPECT_EQ(workflow().lastRunResult().picturesFiltered, 2u);
    EXPECT_EQ(view.statusTexts(StatusLine::Main).back(), u"下载完毕，2张图片不在大小范围内");
}

TEST_F(WorkflowTest, StopInTheMiddleOfAnAlbum) {
    FakeDuitangUser user = OneAlbumUser(40);
    test::ServeDuitangUser(SharedTestServer(), user);
    EditSite([](SiteNamingRecord&, SiteDownloadParams& params) { params.threadCount = 1; });
    view.onProgress = [this](const WString& text) {
        if (text.starts_with(u"已下载3/")) {
            workflow().OnDownloadButton();
        }
    };
    List("http://www.duitang.com/album/600/");
    const size_t fetched = RequestsTo(test::kFakeDuitangPictureHost).size();
    EXPECT_GE(fetched, 3u);
    EXPECT_LT(fetched, 10u);
    EXPECT_TRUE(workflow().lastRunResult().stopped);
    EXPECT_FALSE(ReadFile(saveFolder() + "堆糖_7788/合集/pic.kvx").exists);
    EXPECT_EQ(workflow().downloadState(), DownloadState::Idle);
    EXPECT_EQ(view.moments().back(), ControlMoment::DownloadEnds);
}

TEST_F(WorkflowTest, PicturesCutOffByAStopAreNotDoneRatherThanFailed) {
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(3));
    EditSite([](SiteNamingRecord&, SiteDownloadParams& params) { params.threadCount = 3; });
    for (const char* held : {"/uploads/item/p600_2.jpg", "/uploads/item/p600_3.jpg"}) {
        SharedTestServer().Route(test::kFakeDuitangPictureHost, held,
                                 test::Response{.body = test::PictureBytes(test::PictureKind::Jpeg, 2048),
                                                .contentType = "image/jpeg",
                                                .headerDelay = std::chrono::seconds(30)});
    }
    view.onProgress = [this](const WString& text) {
        if (text.starts_with(u"已下载1/")) {
            workflow().OnDownloadButton();
        }
    };
    List("http://www.duitang.com/album/600/");
    const DownloadRunResult result = workflow().lastRunResult();
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.picturesFailed, 0u);
    EXPECT_EQ(result.picturesNotFetched, 2u);
    EXPECT_TRUE(result.failedPictures.empty());
    EXPECT_EQ(view.statusTexts(StatusLine::Main).back(), u"下载已终止，2张图片未完成");
}

TEST_F(WorkflowTest, TheEndOfARunOpensTheSaveFolder) {
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(1));
    EditSite([](SiteNamingRecord& naming, SiteDownloadParams&) {
        naming.optionFlags |= OPT_OPEN_FOLDER_WHEN_DONE;
    });
    List("http://www.duitang.com/album/600/");
    EXPECT_EQ(view.openedFolders(), (std::vector<std::string>{saveFolder()}));
}

TEST_F(WorkflowTest, StopDuringCollectionAsksOnceWhetherToDownloadWhatWasCollected) {
    FakeDuitangUser user;
    user.albums.push_back({"601", "一", test::MakeDuitangPictures("601", 30)});
    user.albums.push_back({"602", "二", test::MakeDuitangPictures("602", 30)});
    test::ServeDuitangUser(SharedTestServer(), user);
    List("http://www.duitang.com/people/?user_id=7788");
    ASSERT_EQ(workflow().albums.size(), 2u);
    view.answerYes = true;
    view.onProgress = [this](const WString& text) {
        if (text == u"已获取到24张图片信息") {
            workflow().OnDownloadButton();
        }
    };
    Download();
    EXPECT_EQ(view.questions().size(), 1u);
    EXPECT_EQ(Files("堆糖_7788/一/").size(), 24u);  // what was collected; no marker after a stop
    EXPECT_FALSE(std::filesystem::exists(saveFolder() + "堆糖_7788/二/"));
}

TEST_F(WorkflowTest, StoppedBoardFetchDoesNotStartItsDownload) {
    FakeHuabanBoard board;
    board.pins = test::MakePins(900, 3);
    test::ServeHuabanBoard(SharedTestServer(), board);
    SharedTestServer().SetLatency(std::chrono::milliseconds(300));
    view.address = u"http://huaban.com/boards/1001/";
    ASSERT_TRUE(workflow().OnListButton());
    EXPECT_TRUE(workflow().OnListButton());  // the second press asks the fetch to stop
    workflow().WaitForWorkers();
    SharedTestServer().SetLatency(std::chrono::milliseconds(0));
    EXPECT_EQ(view.downloadsStarted(), 0);
    EXPECT_TRUE(RequestsTo(test::kFakeHuabanPictureHost).empty());
    EXPECT_EQ(workflow().listState(), ListState::Idle);
}

TEST_F(WorkflowTest, SiteTextNeverPlacesAPictureOutsideTheAlbumFolder) {
    // The save folder lies one level down in a fresh folder, so that anything climbing out shows.
    test::TempFolder outer;
    const std::string save = outer / "save/";
    std::filesystem::create_directory(save);
    view.saveFolder = FromUtf8(save);
    FakeDuitangUser user = OneAlbumUser(4);
    user.albums[0].pictures[0].message = save + "../escaped";
    user.albums[0].pictures[1].message = "/tmp/../../etc/evil";
    user.albums[0].pictures[2].message = "../../up";
    // A whole path inside the run folder that climbs out of it again.
    user.albums[0].pictures[3].message = save + "堆糖_7788/../../climbed";
    test::ServeDuitangUser(SharedTestServer(), user);
    List("http://www.duitang.com/album/600/");
    EXPECT_EQ(test::ListFolder(save + "堆糖_7788/合集/").size(), 5u);
    EXPECT_EQ(test::ListFolder(save), (std::vector<std::string>{"堆糖_7788"}));
    EXPECT_EQ(test::ListFolder(outer.path()), (std::vector<std::string>{"save"}));
}

TEST_F(WorkflowTest, PlantedLinksAreReplacedNotFollowed) {
    EditSite(
        [](SiteNamingRecord& naming, SiteDownloadParams&) { naming.optionFlags |= OPT_ORIGINAL_NAME_FILE; });
    test::TempFolder outside;
    test::WriteFile(outside / "victim", "kept");
    const std::string album = saveFolder() + "堆糖_7788/合集/";
    std::filesystem::create_directories(album);
    std::filesystem::create_symlink(outside / "victim", album + "pic.kvx");
    std::filesystem::create_symlink(outside / "victim", album + "合集.txt");
    test::ServeDuitangUser(SharedTestServer(), OneAlbumUser(2));
    List("http://www.duitang.com/album/600/");
    EXPECT_EQ(ReadFile(outside / "victim").bytes, "kept");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(album + "pic.kvx")));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(album + "合集.txt")));
    EXPECT_EQ(ReadAlbumMarker(FromUtf8(album)), u"http://c-ssl.duitang.com/uploads/item/p600_1.jpg");
}

TEST_F(WorkflowTest, WithoutAlbumFoldersNamesStayUniqueAcrossTheRun) {
    // Numbered names clash across albums too, though never within one.
    EditSite([](SiteNamingRecord& naming, SiteDownloadParams&) {
        naming.albumFolderMode = 1;
        naming.pictureNameMode = 1;
    });
    FakeDuitangUser user;
    user.albums.push_back({"700", "甲", test::MakeDuitangPictures("700", 2)});
    user.albums.push_back({"701", "乙", test::MakeDuitangPictures("701", 2)});
    test::ServeDuitangUser(SharedTestServer(), user);
    List("http://www.duitang.com/people/?user_id=7788");
    Download();
    EXPECT_EQ(Files("堆糖_7788/"),
              (std::vector<std::string>{"1(1).jpg", "1.jpg", "2(1).jpg", "2.jpg", "pic.kvx"}));
}

TEST_F(WorkflowTest, AddressProblemsAreToldAndListNothing) {
    for (const char* address : {"huaban.com/boards/1/", "http://huaban.com/alice/", ""}) {
        List(address);
        EXPECT_EQ(workflow().albums.size(), 0u) << address;
    }
    const auto messages = view.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], ShownText(kMsgNoScheme));
    EXPECT_EQ(messages[1], ShownText(kMsgNotHuabanBoard));
    EXPECT_EQ(messages[2], ShownText(kMsgEmptyAddress));
    EXPECT_EQ(workflow().listState(), ListState::Idle);
}

TEST_F(WorkflowTest, DuitangPageWithoutUserIsTold) {
    SharedTestServer().Route("www.duitang.com", "/people/", test::Response{.body = "<html>nobody</html>"});
    // With a user number in the address, a page without one is today's site (see the site tests).
    List("http://www.duitang.com/people/");
    EXPECT_EQ(view.messages(), (std::vector<WString>{ShownText(kMsgNoDuitangUser)}));
    EXPECT_EQ(view.statusTexts(StatusLine::Main).back(), u"获取相册列表完成，共0个");
}

TEST_F(WorkflowTest, DownloadConcurrencyWithFifteenThreads) {
    EditSite([](SiteNamingRecord&, SiteDownloadParams& params) { params.threadCount = 15; });
    FakeDuitangUser user;
    user.albums.push_back({"700", "甲", test::MakeDuitangPictures("700", 48)});
    user.albums.push_back({"701", "乙", test::MakeDuitangPictures("701", 7)});
    test::ServeDuitangUser(SharedTestServer(), user);
    SharedTestServer().SetLatency(std::chrono::milliseconds(5));
    List("http://www.duitang.com/people/?user_id=7788");
    Download();
    SharedTestServer().SetLatency(std::chrono::milliseconds(0));
    EXPECT_EQ(Files("堆糖_7788/甲/").size(), 49u);
    EXPECT_EQ(Files("堆糖_7788/乙/").size(), 8u);
    EXPECT_EQ(view.albumFailures(), (std::vector<unsigned>{0, 0}));
    EXPECT_EQ(workflow().FolderBeingDownloaded(), WString());
}

TEST_F(WorkflowTest, PictureProgressCountsUpToTheAlbumWithItsFailures) {
    EditSite([](SiteNamingRecord&, SiteDownloadParams& params) { params.threadCount = 4; });
    FakeDuitangUser user;
    user.albums.push_back({"710", "丙", test::MakeDuitangPictures("710", 30)});
    user.albums.push_back({"711", "丁", test::MakeDuitangPictures("711", 3)});
    test::ServeDuitangUser(SharedTestServer(), user);
    for (const char* missing : {"/uploads/item/p710_4.jpg", "/uploads/item/p710_17.jpg"}) {
        SharedTestServer().Route(test::kFakeDuitangPictureHost, missing, test::Response{.status = 404});
    }
    List("http://www.duitang.com/people/?user_id=7788");
    Download();

    const auto reports = view.pictureProgress();
    ASSERT_FALSE(reports.empty());
    // Each album starts from nothing and ends complete; in between the counts only grow, and the
    // failures are always among the pictures counted as done.
    std::vector<std::pair<unsigned, unsigned>> albumEnds;
    unsigned lastDone = 0;
    unsigned lastFailed = 0;
    for (size_t i = 0; i < reports.size(); ++i) {
        const auto& report = reports[i];
        if (report.done == 0) {
            EXPECT_EQ(report.failed, 0u);
            if (i > 0) {
                albumEnds.emplace_back(reports[i - 1].done, reports[i - 1].failed);
            }
        } else {
            EXPECT_GT(report.done, lastDone);
            EXPECT_GE(report.failed, lastFailed);
        }
        EXPECT_LE(report.failed, report.done);
        EXPECT_EQ(report.total, albumEnds.empty() ? 30u : 3u);
        lastDone = report.done;
        lastFailed = report.failed;
    }
    albumEnds.emplace_back(reports.back().done, reports.back().failed);
    EXPECT_EQ(albumEnds, (std::vector<std::pair<unsigned, unsigned>>{{30, 2}, {3, 0}}));
    EXPECT_EQ(view.albumFailures(), (std::vector<unsigned>{2, 0}));
}

}  // namespace
}  // namespace albumora
