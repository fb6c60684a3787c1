// Measures the album grid of the main window with many albums, and what the thumbnail view's
// covers cost a listing.
//
//   albumora-grid-bench [--albums N] [--runs R]   (defaults 5000 and 3)
//
// 1. N albums are added one by one as a listing adds them; then the name column is sorted, a filter
//    applied and cleared, and the view switched to thumbnails and back. Each step is timed from the
//    action until the window has nothing left to do (queued calls served, the rebuild ended).
// 2. A Duitang user with 100 albums is listed with the real pauses at 80 ms of latency per request,
//    in the list view and in the thumbnail view (covers fetched beside the listing); the time from
//    the list button to the end of the fetch, and to the last cover, median of R runs.
//
// The window runs on the offscreen platform; nothing here is asserted by the test suite.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/net/CookieStore.h"
#include "core/workflow/Workflow.h"
#include "gui/CAlbumoraDlg.h"
#include "gui/CComboBox2.h"
#include "gui/grid/CMyGridCtrl.h"
#include "gui/login/WebEngineSetup.h"
#include "support/FakeSites.h"
#include "support/JpegBytes.h"
#include "support/TempFolder.h"

using namespace albumora;

namespace {

// Serves the window's events until `done`, at most `timeoutMs`.
bool ServeUntil(const std::function<bool()>& done, int timeoutMs = 120000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Milliseconds from `action` until the window is idle again.
double Timed(gui::CAlbumoraDlg& window, const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    ServeUntil([&] { return window.viewState() == gui::ViewState::Idle; });
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void ClickHeader(gui::CMyGridCtrl* grid, int column) {
    QHeaderView* header = grid->horizontalHeader();
    const QPoint inside(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inside);
}

void GridOperations(int albumCount) {
    test::TempFolder settings;
    CookieStore cookies;
    gui::CAlbumoraDlg window(settings.path(), &cookies);
    window.resize(1400, 900);
    window.show();
    ServeUntil([&] { return window.isReady(); });
    Workflow& workflow = window.workflow();
    const char16_t* words[] = {u"猫咪", u"旅行", u"美食", u"壁纸", u"插画", u"手工", u"穿搭", u"家居"};

    QElapsedTimer timer;
    timer.start();
    double slowestAdd = 0;
    for (int i = 0; i < albumCount; ++i) {
        ST_PERLISTRECORD album;
        album.name = WString(words[i % 8]) + u" " + IntToText((i * 7919) % albumCount);
        album.albumId = IntToText(100000 + i);
        album.pictureCount = (i * 37) % 900;
        const qint64 before = timer.nsecsElapsed();
        // As a listing hands an album over: into the list, then shown.
        const std::size_t length = workflow.albums.AddAlbumRecord(album);
        static_cast<WorkflowView&>(window).AddGridEntry(static_cast<int>(length) - 1);
        slowestAdd = std::max(slowestAdd, static_cast<double>(timer.nsecsElapsed() - before) / 1e6);
        if (i % 50 == 0) {
            QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
    const double addAll = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    gui::CMyGridCtrl* grid = window.grid();
    std::printf("%d albums: adding all rows %.0f ms (slowest single row %.2f ms)\n", albumCount, addAll,
                slowestAdd);
    std::printf("  sort by name                %6.1f ms\n", Timed(window, [&] { ClickHeader(grid, 1); }));
    std::printf("  sort by name, reversed      %6.1f ms\n", Timed(window, [&] { ClickHeader(grid, 1); }));
    std::printf("  sort by picture count       %6.1f ms\n", Timed(window, [&] { ClickHeader(grid, 2); }));
    const double filtering = Timed(window, [&] { window.ApplyFilter(QStringLiteral("猫咪")); });
    std::printf("  filter \"猫咪\"               %6.1f ms (%d rows)\n", filtering,
                grid->GetRowCount() - grid->GetFixedRowCount());
    std::printf("  filter cleared              %6.1f ms\n",
                Timed(window, [&] { window.ApplyFilter(QString()); }));
    auto* pictureView = window.findChild<QCheckBox*>(QStringLiteral("pictureViewBox"));
    std::printf("  to the thumbnail view       %6.1f ms\n", Timed(window, [&] { pictureView->click(); }));
    std::printf("  back to the list view       %6.1f ms\n", Timed(window, [&] { pictureView->click(); }));
}

struct ListTimes {
    double listed = 0;  // seconds from the button to the end of the fetch
    double covers = 0;  // seconds from the button to the last cover
};

ListTimes ListWithCovers(bool thumbnails, int albumCount) {
    test::TempFolder settings;
    CookieStore cookies;
    gui::CAlbumoraDlg window(settings.path(), &cookies);
    window.show();
    ServeUntil([&] { return window.isReady(); });
    if (thumbnails) {
        window.findChild<QCheckBox*>(QStringLiteral("pictureViewBox"))->click();
        ServeUntil([&] { return window.viewState() == gui::ViewState::Idle; });
    }
    auto* listButton = window.findChild<QPushButton*>(QStringLiteral("listButton"));
    window.findChild<gui::CComboBox2*>(QStringLiteral("addressBox"))
        ->setEditText(QStringLiteral("http://www.duitang.com/people/?user_id=7788"));
    QElapsedTimer timer;
    timer.start();
    listButton->click();
    ServeUntil([&] {
        return window.workflow().listState() == ListState::Idle &&
               listButton->text() == QStringLiteral("获取相册");
    });
    ListTimes times;
    times.listed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (thumbnails) {
        const auto withCover = [&] {
            int count = 0;
            for (int p = 0; p < albumCount; ++p) {
                const auto album = window.workflow().albums.AlbumAt(static_cast<size_t>(p));
                count += album && album->thumbIndex >= 0 ? 1 : 0;
            }
            return count;
        };
        if (!ServeUntil([&] { return withCover() == albumCount; }, 30000)) {
            std::printf("  only %d of %d covers arrived\n", withCover(), albumCount);
        }
    }
    times.covers = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    return times;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int albumCount = 5000;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--albums") == 0) {
            albumCount = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "no_proxy"}) {
        unsetenv(name);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    gui::PrepareWebEngine();
    QApplication app(argc, argv);

    GridOperations(albumCount);

    test::TestWebServer server;
    test::FakeDuitangUser user;
    constexpr int kListedAlbums = 100;
    for (int i = 0; i < kListedAlbums; ++i) {
        const std::string id = std::to_string(5000 + i);
        user.albums.push_back({id, "相册" + std::to_string(i), test::MakeDuitangPictures(id, 1)});
    }
    test::ServeDuitangUser(server, user);
    // Covers that decode, as a site's do.
    const std::string jpeg = test::JpegBytes(Qt::darkCyan, QSize(224, 224));
    for (const auto& album : user.albums) {
        const std::string& file = album.pictures[0].file;
        server.Route(test::kFakeDuitangPictureHost,
                     "/uploads/item/" + file.substr(0, file.rfind('.')) + ".thumb.224_0.jpg",
                     test::Response{.body = jpeg, .contentType = "image/jpeg"});
    }
    server.SetLatency(std::chrono::milliseconds(80));
    setenv("http_proxy", server.proxyUrl().c_str(), 1);
    for (const bool thumbnails : {false, true}) {
        std::vector<double> listed;
        std::vector<double> covers;
        for (int run = 0; run < runs; ++run) {
            const ListTimes times = ListWithCovers(thumbnails, kListedAlbums);
            listed.push_back(times.listed);
            covers.push_back(times.covers);
        }
        std::printf("%d albums at 80 ms, %s: listed in %.2f s%s", kListedAlbums,
                    thumbnails ? "thumbnail view" : "list view     ", Median(listed), thumbnails ? "" : "\n");
        if (thumbnails) {
            std::printf(", last cover at %.2f s\n", Median(covers));
        }
    }
    return 0;
}
