#include "gui/UserGuide.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <filesystem>

#include "support/TempFolder.h"

namespace albumora::test {
namespace {

TEST(UserGuideTest, AnInstalledProgramOpensItsOwnCopyAndABuildTreeTheSourceReadme) {
    TempFolder prefix;
    std::filesystem::create_directories(prefix / "bin");
    const QString programFolder = QString::fromStdString(prefix / "bin");

    // Built but not installed: nothing under the prefix, so the README the build came from.
    const QString fromSource = gui::FindUserGuide(programFolder);
    EXPECT_FALSE(fromSource.startsWith(QString::fromStdString(prefix.path())));
    EXPECT_TRUE(QFileInfo(fromSource).isFile()) << fromSource.toStdString();

    std::filesystem::create_directories(prefix / "share/doc/albumora");
    WriteFile(prefix / "share/doc/albumora/README.md", "# Albumora\n");
    EXPECT_EQ(gui::FindUserGuide(programFolder),
              QString::fromStdString(prefix / "share/doc/albumora/README.md"));
}

}  // namespace
}  // namespace albumora::test
