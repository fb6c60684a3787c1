#include "core/files/AtomicFile.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/files/TemporaryFiles.h"
#include "support/TempFolder.h"

namespace albumora {
namespace {

namespace fs = std::filesystem;

int EntryCount(const std::string& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(WriteFileAtomically, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
    test::TempFolder temp;
    test::WriteFile(temp / "soft.dat", std::string(5000, 'o'));
    EXPECT_TRUE(WriteFileAtomically(temp / "soft.dat", "new"));
    EXPECT_EQ(test::ReadFile(temp / "soft.dat").bytes, "new");
    EXPECT_EQ(EntryCount(temp.path()), 1);
}

TEST(WriteFileAtomically, AFailedWriteKeepsWhatWasThere) {
    test::TempFolder temp;
    // The target is a folder: the rename fails after the temporary file was written.
    fs::create_directory(temp / "target");
    test::WriteFile(temp / "target/keep", "kept");
    EXPECT_FALSE(WriteFileAtomically(temp / "target", "new"));
    EXPECT_EQ(test::ReadFile(temp / "target/keep").bytes, "kept");
    EXPECT_EQ(EntryCount(temp.path()), 1);
    EXPECT_FALSE(WriteFileAtomically(temp / "missing/soft.dat", "new"));
}

TEST(WriteFileAtomically, ANameNearTheLimitIsWrittenToo) {
    test::TempFolder temp;
    // 80 Chinese characters and ".lst": 244 bytes, which a temporary name built on it would pass.
    std::string name;
    for (int i = 0; i < 80; ++i) {
        name += "长";
    }
    name += ".lst";
    EXPECT_TRUE(WriteFileAtomically(temp / name, "list"));
    EXPECT_EQ(test::ReadFile(temp / name).bytes, "list");
    EXPECT_EQ(EntryCount(temp.path()), 1);
}

TEST(RemoveStaleTemporaries, RemovesOnlyWhatEndedProcessesLeft) {
    test::TempFolder temp;
    // No process has this number (the kernel's limit is far below it).
    const std::string dead = ".albumora-999999999-3";
    const std::string alive = ".albumora-" + std::to_string(::getppid()) + "-3";
    for (const std::string& name : {dead + ".part", dead + ".tmp", alive + ".part", dead + ".jpg",
                                    std::string(".albumora-x-1.part"), std::string("picture.part")}) {
        test::WriteFile(temp / name, "x");
    }
    EXPECT_EQ(RemoveStaleTemporaries(temp.path()), 2);
    EXPECT_EQ(
        test::ListFolder(temp.path()),
        (std::vector<std::string>{alive + ".part", dead + ".jpg", ".albumora-x-1.part", "picture.part"}));
}

}  // namespace
}  // namespace albumora
