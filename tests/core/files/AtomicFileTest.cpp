#include "core/files/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace albumora
