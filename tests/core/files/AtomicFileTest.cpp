#include "core/files/AtomicFile.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string_view>

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

TEST(OpenForAppending, ALinkInPlaceOfTheJournalIsNotWrittenThrough) {
    // A link planted where an album keeps its journal must not make a run append to a file elsewhere.
    test::TempFolder outside;
    test::TempFolder album;
    test::WriteFile(outside / "victim", "kept");
    fs::create_symlink(outside / "victim", album / ".albumora-journal");
    const int fd = OpenForAppending(album / ".albumora-journal", true);
    if (fd >= 0) {  // what the journal would do with it
        EXPECT_EQ(::write(fd, "p.jpg\n", 6), 6);
        ::close(fd);
    }
    EXPECT_EQ(test::ReadFile(outside / "victim").bytes, "kept");
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

TEST(RemoveStaleTemporaries, LeavesAnotherMachinesLiveTemporariesInASharedFolder) {
    test::TempFolder temp;
    const std::string pid = "-" + std::to_string(::getpid()) + "-";
    const std::string mine = fs::path(TemporaryNameBeside(temp / "p.jpg", ".part")).filename();
    // Whatever this process's id means on the other machines, the name says whose it is.
    const size_t pidAt = mine.find(pid);
    ASSERT_NE(pidAt, std::string::npos) << mine;
    ASSERT_GT(pidAt, std::string_view(".albumora-").size()) << "no machine name in " << mine;
    const std::string thisMachine = mine.substr(0, pidAt);  // ".albumora-HOST"
    // No process has this number here; on the machine that named the file it may well run.
    const std::string otherLive = ".albumora-nas-client-2-999999999-1.part";
    const std::string otherAbandoned = ".albumora-nas-client-2-999999999-2.part";
    const std::string mineEnded = thisMachine + "-999999999-3.part";
    for (const std::string& name : {mine, otherLive, otherAbandoned, mineEnded}) {
        test::WriteFile(temp / name, "x");
    }
    fs::last_write_time(temp / otherAbandoned, fs::file_time_type::clock::now() - std::chrono::hours(25));
    EXPECT_EQ(RemoveStaleTemporaries(temp.path()), 2);
    std::vector<std::string> kept{otherLive, mine};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(test::ListFolder(temp.path()), kept);
}

}  // namespace
}  // namespace albumora
