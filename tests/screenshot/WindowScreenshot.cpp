// Takes the README's pictures of the main window, a Duitang user of the fake sites listed:
//   OUTPUT.png             the list view, two albums chosen;
//   OUTPUT-thumbnails.png  the thumbnail view with its covers, two albums chosen;
//   OUTPUT-run.png         after a download in which one album lost pictures;
//   OUTPUT-dialog.png      a question with Qt's standard buttons in Chinese.
// Usage: window_screenshot OUTPUT.png (scripts/screenshot.sh runs it under Xvfb).
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "core/net/CookieStore.h"
#include "core/settings/SettingsEditing.h"
#include "core/sites/SiteRecognition.h"
#include "gui/CAlbumoraDlg.h"
#include "gui/CComboBox2.h"
#include "gui/QtTranslations.h"
#include "gui/grid/CMyGridCtrl.h"
#include "support/FakeSites.h"
#include "support/NoPauseClock.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "support/TestWebServer.h"

namespace {

using namespace albumora;

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

// A cover of the album's own colour with a soft disc, as JPEG bytes.
std::string CoverBytes(int index) {
    QImage image(224, 224, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((index * 37) % 360, 90, 225));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((index * 37 + 180) % 360, 120, 245));
    painter.drawEllipse(QPoint(112 + (index % 3 - 1) * 30, 100), 60, 60);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes.toStdString();
}

bool Save(QWidget& widget, const QString& path) {
    QTest::qWait(200);
    return widget.grab().save(path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: window_screenshot OUTPUT.png\n", stderr);
        return 2;
    }
    gui::InstallQtChineseTranslations(app);
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString base = output.endsWith(QStringLiteral(".png")) ? output.chopped(4) : output;
    const test::FakeDuitangUser user = ExampleUser();
    test::ServeDuitangUser(test::SharedTestServer(), user);
    for (size_t i = 0; i < user.albums.size(); ++i) {
        const std::string& file = user.albums[i].pictures[0].file;
        test::SharedTestServer().Route(
            test::kFakeDuitangPictureHost,
            "/uploads/item/" + file.substr(0, file.rfind('.')) + ".thumb.224_0.jpg",
            test::Response{.body = CoverBytes(static_cast<int>(i)), .contentType = "image/jpeg"});
    }
    // Three pictures of 水彩花卉 (the seventh album) cannot be fetched.
    for (const int lost : {3, 8, 11}) {
        test::SharedTestServer().Route(test::kFakeDuitangPictureHost,
                                       "/uploads/item/p906_" + std::to_string(lost) + ".jpg",
                                       test::Response{.status = 404});
    }
    const test::ScopedEnv proxy("http_proxy", test::SharedTestServer().proxyUrl());
    const test::ScopedEnv noProxy("no_proxy", std::nullopt);
    test::TempFolder settings;
    test::TempFolder save;
    CookieStore cookies;
    test::NoPauseClock clock;

    gui::CAlbumoraDlg window(settings.path(), &cookies, clock);
    window.workflow().EditSettings([](PersistentSettings& edited) {
        SetOption(edited.namingRecords[kSiteCodeHuabanDuitang], OPT_OPEN_FOLDER_WHEN_DONE, false);
    });
    window.resize(900, 640);
    window.show();
    if (!QTest::qWaitFor([&] { return window.isReady(); }, 10000)) {
        return 1;
    }
    auto* saveFolder = window.findChild<gui::CComboBox2*>(QStringLiteral("saveFolderBox"));
    const QString shownFolder = QStringLiteral("/home/ann/图片/Albumora/");
    saveFolder->setEditText(shownFolder);
    window.findChild<gui::CComboBox2*>(QStringLiteral("addressBox"))
        ->setEditText(QStringLiteral("http://www.duitang.com/people/?user_id=7788"));
    auto* list = window.findChild<QPushButton*>(QStringLiteral("listButton"));
    list->click();
    if (!QTest::qWaitFor(
            [&] {
                return window.workflow().listState() == ListState::Idle &&
                       list->text() == QStringLiteral("获取相册");
            },
            20000)) {
        return 1;
    }
    gui::CMyGridCtrl* grid = window.grid();
    // The rows reach the grid as queued calls that may still be on their way when the listing ends.
    if (!QTest::qWaitFor([&] { return grid->GetRowCount() == grid->GetFixedRowCount() + 10; }, 10000)) {
        return 1;
    }
    grid->SelectRow(2);
    grid->SetSelectedRange(2, 0, 3, gui::CMyGridCtrl::kListColumns - 1);
    if (!Save(window, output)) {
        return 1;
    }

    // Four albums downloaded, one of them losing three pictures.
    saveFolder->setEditText(QString::fromStdString(save.path()));
    grid->ClearSelectionAndFocus();
    grid->SetSelectedRange(7, 0, 10, gui::CMyGridCtrl::kListColumns - 1);
    auto* download = window.findChild<QPushButton*>(QStringLiteral("downloadButton"));
    download->click();
    if (!QTest::qWaitFor(
            [&] {
                return window.workflow().downloadState() == DownloadState::Idle &&
                       download->text() == QStringLiteral("下载");
            },
            30000)) {
        return 1;
    }
    saveFolder->setEditText(shownFolder);
    if (!Save(window, base + QStringLiteral("-run.png"))) {
        return 1;
    }

    auto* pictureView = window.findChild<QCheckBox*>(QStringLiteral("pictureViewBox"));
    pictureView->click();
    if (!QTest::qWaitFor([&] { return window.viewState() == gui::ViewState::Idle; }, 20000)) {
        return 1;
    }
    grid->SetSelectedRange(0, 1, 0, 2);
    if (!Save(window, base + QStringLiteral("-thumbnails.png"))) {
        return 1;
    }

    QMessageBox question(QMessageBox::Question, window.windowTitle(),
                         QStringLiteral("正在下载图片，退出将终止下载。确定要退出吗？"),
                         QMessageBox::Yes | QMessageBox::No, &window);
    question.show();
    return Save(question, base + QStringLiteral("-dialog.png")) ? 0 : 1;
}
