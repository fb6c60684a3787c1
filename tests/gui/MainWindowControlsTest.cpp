// The main window's boxes, selectors, menus and its end.
#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "MainWindowTest.h"
#include "ModalAnswerer.h"
#include "core/settings/SettingsStore.h"
#include "core/sites/SiteRecognition.h"
#include "gui/CComboBox2.h"
#include "gui/QtText.h"
#include "gui/login/CDlgWebOpen.h"
#include "gui/login/LoginMenu.h"

namespace albumora::test {
namespace {

TEST_F(MainWindowTest, KeyboardStartsInTheAddressBoxAndReachesEveryMenu) {
    OpenWindow();
    auto* address = Control<gui::CComboBox2>("addressBox");
    QWidget* focus = window().focusWidget();
    EXPECT_TRUE(focus == address || focus == address->lineEdit());
    auto* bar = window().findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_FALSE(bar->actions().isEmpty());
    for (QAction* menu : bar->actions()) {
        EXPECT_FALSE(QKeySequence::mnemonic(menu->text()).isEmpty()) << menu->text().toStdString();
    }
}

TEST_F(MainWindowTest, ChoosingTheSameSaveFolderTwiceRemembersItOnce) {
    OpenWindow();
    const std::string chosen = save.path() + "pictures";
    std::filesystem::create_directory(chosen);
    auto* folderBox = Control<gui::CComboBox2>("saveFolderBox");

    for (int i = 0; i < 2; ++i) {
        ModalAnswerer answers({ModalAnswerer::ChooseFolder(chosen)});
        Control<QPushButton>("chooseFolderButton")->click();
        EXPECT_EQ(answers.answered(), 1);
        EXPECT_EQ(folderBox->currentText().toStdString(), chosen + "/");
    }
    EXPECT_EQ(folderBox->HistoryItems(), QStringList{QString::fromStdString(chosen + "/")});
    EXPECT_EQ(HistoryTexts(LoadSettings(settings.path()).settings, HistoryKind::SavePath),
              std::vector<WString>{FromUtf8(chosen + "/")});
}

TEST_F(MainWindowTest, ARememberedSaveFolderIsShownAtTheNextStart) {
    OpenWindow();
    window().SetSaveFolder(QString::fromStdString(save.path() + "kept"));
    CloseWindow();
    OpenWindow(false);
    EXPECT_EQ(Control<gui::CComboBox2>("saveFolderBox")->currentText().toStdString(), save.path() + "kept/");
}

TEST_F(MainWindowTest, ADroppedFileSetsItsFolderAndADroppedFolderItself) {
    OpenWindow();
    const std::string folder = save.path() + "dropped";
    std::filesystem::create_directory(folder);
    WriteFile(folder + "/photo.jpg", "x");
    auto drop = [&](const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // The offscreen platform has no drag and drop, and the application would not deliver the
        // event: it goes to the window directly.
        static_cast<QObject&>(window()).event(&event);
    };
    auto* folderBox = Control<gui::CComboBox2>("saveFolderBox");

    drop(folder + "/photo.jpg");
    EXPECT_EQ(folderBox->currentText().toStdString(), folder + "/");
    drop(save.path());
    EXPECT_EQ(folderBox->currentText().toStdString(), save.path());
    EXPECT_EQ(folderBox->HistoryItems().size(), 2);
}

TEST_F(MainWindowTest, SiteSelectorNamesEverySiteAndRecognitionPicksTheAlbumKind) {
    OpenWindow();
    auto* sites = Control<QComboBox>("siteSelector");
    auto* kinds = Control<QComboBox>("albumKindSelector");
    ASSERT_EQ(sites->count(), kSiteCodeCount);
    EXPECT_EQ(sites->itemText(18), gui::ToQString(SiteDisplayName(18)));
    EXPECT_EQ(sites->currentIndex(), 18);
    EXPECT_TRUE(kinds->isHidden());

    auto* address = Control<gui::CComboBox2>("addressBox");
    QTest::keyClicks(address->lineEdit(), QStringLiteral("http://qun.qzone.qq.com/group#!/12345/photo"));
    EXPECT_EQ(sites->currentIndex(), kSiteCodeQQ);
    EXPECT_FALSE(kinds->isHidden());
    EXPECT_EQ(kinds->currentIndex(), 1);
    EXPECT_EQ(kinds->currentText(), QStringLiteral("QQ群相册"));
    EXPECT_EQ(window().AlbumKindSelection(), 1);
    EXPECT_EQ(window().workflow().siteCode(), kSiteCodeHuabanDuitang);

    address->lineEdit()->clear();
    QTest::keyClicks(address->lineEdit(), QStringLiteral("https://www.duitang.com/album/?id=5"));
    EXPECT_EQ(sites->currentIndex(), kSiteCodeHuabanDuitang);
    EXPECT_TRUE(kinds->isHidden());
    EXPECT_EQ(window().AlbumKindSelection(), -1);
    EXPECT_EQ(window().AddressText(), u"https://www.duitang.com/album/?id=5");
}

TEST_F(MainWindowTest, SettingsMenuShowsAndSavesTheCurrentSitesOptions) {
    OpenWindow();
    auto* fixFormat = window().findChild<QAction*>(QStringLiteral("menuCommand32800"));
    auto* yupooLarge = window().findChild<QAction*>(QStringLiteral("menuCommand32776"));
    auto* openFolder = window().findChild<QAction*>(QStringLiteral("menuCommand32812"));
    ASSERT_TRUE(fixFormat && yupooLarge && openFolder);
    QMenu* menu = qobject_cast<QMenu*>(fixFormat->parent());
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    EXPECT_FALSE(fixFormat->isChecked());
    EXPECT_FALSE(openFolder->isChecked());
    EXPECT_FALSE(yupooLarge->isEnabled());
    EXPECT_TRUE(fixFormat->isEnabled());

    fixFormat->trigger();
    EXPECT_TRUE(fixFormat->isChecked());
    const PersistentSettings saved = LoadSettings(settings.path()).settings;
    EXPECT_TRUE(saved.namingRecords[kSiteCodeHuabanDuitang].HasOption(OPT_FIX_FORMAT));

    fixFormat->trigger();
    EXPECT_FALSE(fixFormat->isChecked());
    EXPECT_FALSE(LoadSettings(settings.path())
                     .settings.namingRecords[kSiteCodeHuabanDuitang]
                     .HasOption(OPT_FIX_FORMAT));
}

TEST_F(MainWindowTest, DownloadParametersFromTheMenuAreSavedForTheCurrentSite) {
    OpenWindow();
    auto* item = window().findChild<QAction*>(QStringLiteral("menuCommand32778"));
    ASSERT_NE(item, nullptr);
    ModalAnswerer answerer({[](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("threadCount"))->setText(QStringLiteral("12"));
        dialog->findChild<QLineEdit*>(QStringLiteral("timeoutSec"))->setText(QStringLiteral("45"));
        QMetaObject::invokeMethod(dialog, "OnConfirm");
    }});
    item->trigger();
    EXPECT_EQ(answerer.answered(), 1);
    const SiteDownloadParams saved =
        LoadSettings(settings.path()).settings.downloadParams[kSiteCodeHuabanDuitang];
    EXPECT_EQ(saved.threadCount, 12);
    EXPECT_EQ(saved.timeoutSec, 45);
    EXPECT_EQ(window().workflow().SettingsCopy().downloadParams[kSiteCodeHuabanDuitang].threadCount, 12);
}

TEST_F(MainWindowTest, LoginMenuHoldsEveryLoginAndTheModelessSwitch) {
    OpenWindow();
    ASSERT_NE(window().loginMenu(), nullptr);
    for (int command :
         {32781, 32782, 32789, 32790, 32791, 32792, 32793, 32794, 32795, 32803, 32813, 32815, 32796}) {
        QAction* item = window().loginMenu()->action(command);
        ASSERT_NE(item, nullptr) << command;
        EXPECT_TRUE(item->isEnabled()) << command;
    }
    EXPECT_TRUE(window().loginMenu()->action(32796)->isChecked());
    EXPECT_TRUE(window().loginWindowModeless());
}

TEST_F(MainWindowTest, AWorkersQuestionWaitsForTheAnswer) {
    OpenWindow();
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = window().AskYesNo(u"继续吗？") ? 1 : 0; });
    QMessageBox* question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = ShownMessageBox(&window())) != nullptr; }));
    EXPECT_EQ(question->text(), QStringLiteral("继续吗？"));
    EXPECT_EQ(answer, -1);
    question->button(QMessageBox::Yes)->click();
    worker.join();
    EXPECT_EQ(answer, 1);
}

TEST_F(MainWindowTest, ClosingWhileAWorkerWaitsForAnAnswerTellsItNo) {
    OpenWindow();
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = window().AskYesNo(u"继续吗？") ? 1 : 0; });
    ASSERT_TRUE(WaitUntil([&] { return ShownMessageBox(&window()) != nullptr; }));
    CloseWindow();
    worker.join();
    EXPECT_EQ(answer, 0);
}

TEST_F(MainWindowTest, ClosingWhileTheListIsFetchedStopsTheWorker) {
    ServeDuitangUser(SharedTestServer(), DuitangUser(std::vector<std::string>(30, "专辑")));
    OpenWindow();
    clock.HoldAtPause(2);
    StartList(kDuitangUserAddress);
    ASSERT_TRUE(WaitUntil([&] { return clock.holding(); }));
    const auto listPages = [] {
        const auto requests = SharedTestServer().requests();
        return std::count_if(requests.begin(), requests.end(), [](const RecordedRequest& request) {
            return request.path.starts_with("/album/list/");
        });
    };
    const auto asked = listPages();
    // The clock is left holding: only the stop the window sends can end the pause, and a window
    // that waited for its worker without stopping it would hang here.
    CloseWindowNow();
    EXPECT_FALSE(clock.holding());
    EXPECT_EQ(listPages(), asked);
}

TEST_F(MainWindowTest, ClosingDuringADownloadAsksFirst) {
    FakeHuabanBoard board;
    board.pins = MakePins(1000, 45);
    ServeHuabanBoard(SharedTestServer(), board);
    OpenWindow();
    // The board downloads by itself; the pause after its first page holds it in the middle.
    clock.HoldAtPause(1);
    StartList("http://huaban.com/boards/1001/");
    ASSERT_TRUE(WaitUntil([&] { return clock.holding(); }));
    const auto click = [](QMessageBox::StandardButton which) {
        return [which](QWidget* dialog) { qobject_cast<QMessageBox*>(dialog)->button(which)->click(); };
    };
    {
        ModalAnswerer answers({click(QMessageBox::No)});
        EXPECT_FALSE(window().close());
        EXPECT_EQ(answers.answered(), 1);
    }
    EXPECT_TRUE(window().isVisible());
    ModalAnswerer answers({click(QMessageBox::Yes)});
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(window().isVisible());
}

}  // namespace
}  // namespace albumora::test
