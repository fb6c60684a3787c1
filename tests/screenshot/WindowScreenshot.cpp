// Takes the README's picture of the main window: a Duitang user of the fake sites listed, two albums
// chosen. Usage: window_screenshot OUTPUT.png (scripts/screenshot.sh runs it under Xvfb).
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "core/net/CookieStore.h"
#include "gui/CAlbumoraDlg.h"
#include "gui/CComboBox2.h"
#include "gui/grid/CMyGridCtrl.h"
#include "support/FakeSites.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace {

using namespace albumora;

// The site pauses are there for the real sites, not for the picture.
class NoPauses final : public Clock {
public:
    void SleepFor(std::chrono::milliseconds, const StopSignal&) override {}
};

test::FakeDuitangUser ExampleUser() {
    const std::pair<const char*, int> albums[] = {
        {"春日插画", 36},     {"猫咪日常", 128}, {"复古海报合集", 54}, {"北欧风家居", 21},  {"手账素材", 240},
        {"城市夜景壁纸", 67}, {"水彩花卉", 15},  {"胶片人像", 88},     {"旅行 · 京都", 42}, {"极简头像", 9},
    };
    test::FakeDuitangUser user;
    int id = 900;
    for (const auto& [name, pictures] : albums) {
        const std::string albumId = std::to_string(id++);
        user.albums.push_back({albumId, name, test::MakeDuitangPictures(albumId, pictures)});
    }
    return user;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: window_screenshot OUTPUT.png\n", stderr);
        return 2;
    }
    test::ServeDuitangUser(test::SharedTestServer(), ExampleUser());
    const test::ScopedEnv proxy("http_proxy", test::SharedTestServer().proxyUrl());
    const test::ScopedEnv noProxy("no_proxy", std::nullopt);
    test::TempFolder settings;
    CookieStore cookies;
    NoPauses clock;

    gui::CAlbumoraDlg window(settings.path(), &cookies, clock);
    window.show();
    if (!QTest::qWaitFor([&] { return window.isReady(); }, 10000)) {
        return 1;
    }
    window.findChild<gui::CComboBox2*>(QStringLiteral("saveFolderBox"))
        ->setEditText(QStringLiteral("/home/ann/图片/Albumora/"));
    window.findChild<gui::CComboBox2*>(QStringLiteral("addressBox"))
        ->setEditText(QStringLiteral("http://www.duitang.com/people/?user_id=7788"));
    auto* list = window.findChild<QPushButton*>(QStringLiteral("listButton"));
    list->click();
    if (!QTest::qWaitFor(
            [&] {
                return window.workflow().listState == kListIdle && list->text() == QStringLiteral("获取相册");
            },
            20000)) {
        return 1;
    }
    window.grid()->SelectRow(2);
    window.grid()->SetSelectedRange(2, 0, 3, gui::CMyGridCtrl::kListColumns - 1);
    QTest::qWait(200);
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
