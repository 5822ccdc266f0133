#include "platform/manual_location.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kestrix::platform {
namespace {

namespace fs = std::filesystem;

// A scratch folder holding an installed tree (prefix/bin, prefix/share) or a source tree with
// its build folder, as a test lays them out.
class ManualLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrix-manual-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path write(const fs::path& file, const std::string& text = "<html></html>") {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    // A build folder configured from the source tree: CMake records the tree in its cache.
    fs::path buildFolderOf(const fs::path& source, const fs::path& build) {
        write(build / "CMakeCache.txt",
              "# This is the CMakeCache file.\n"
              "CMAKE_BUILD_TYPE:STRING=RelWithDebInfo\n"
              "kestrix_BINARY_DIR:STATIC=" +
                  build.string() +
                  "\n"
                  "kestrix_SOURCE_DIR:STATIC=" +
                  source.string() + "\n");
        return build;
    }

    fs::path root;
};

TEST_F(ManualLocationTest, AnInstalledProgramReadsTheManualUnderItsPrefix) {
    const fs::path page = write(root / "usr/share/kestrix/help/kestrix.html");
    fs::create_directories(root / "usr/bin");

    const ManualLocation manual = locateManualFrom((root / "usr/bin").string());
    EXPECT_EQ(manual.found, page.string());
    EXPECT_EQ(manual.candidates, std::vector<std::string>{page.string()});
}

TEST_F(ManualLocationTest, AProgramInItsBuildFolderReadsTheSourceTreesManual) {
    const fs::path page = write(root / "checkout/docs/help/kestrix.html");
    const fs::path build = buildFolderOf(root / "checkout", root / "elsewhere/build");

    const ManualLocation manual = locateManualFrom(build.string());
    EXPECT_EQ(manual.found, page.string());
    ASSERT_EQ(manual.candidates.size(), 2u);
    EXPECT_EQ(manual.candidates[0], (root / "elsewhere/share/kestrix/help/kestrix.html").string());
    EXPECT_EQ(manual.candidates[1], page.string());
}

TEST_F(ManualLocationTest, AnInstalledManualComesBeforeTheSourceTrees) {
    write(root / "checkout/docs/help/kestrix.html");
    const fs::path build = buildFolderOf(root / "checkout", root / "checkout/build");
    const fs::path installed = write(root / "checkout/share/kestrix/help/kestrix.html");

    EXPECT_EQ(locateManualFrom(build.string()).found, installed.string());
}

TEST_F(ManualLocationTest, AMissingManualNamesEveryPlaceLookedAt) {
    const fs::path build = buildFolderOf(root / "checkout", root / "build");
    fs::create_directories(root / "checkout/docs/help/kestrix.html");  // a folder is not the page

    const ManualLocation manual = locateManualFrom(build.string(), "kestrix.html");
    EXPECT_EQ(manual.found, "");
    EXPECT_EQ(manual.candidates, (std::vector<std::string>{(root / "share/kestrix/help/kestrix.html").string(),
                                                           (root / "checkout/docs/help/kestrix.html").string()}));
}

TEST_F(ManualLocationTest, AFolderWithoutKestrixsCacheIsNoBuildFolder) {
    write(root / "bin/CMakeCache.txt", "other_SOURCE_DIR:STATIC=" + root.string() + "\n");
    write(root / "docs/help/kestrix.html");

    const ManualLocation manual = locateManualFrom((root / "bin").string());
    EXPECT_EQ(manual.found, "");
    EXPECT_EQ(manual.candidates.size(), 1u);
    EXPECT_TRUE(locateManualFrom("").candidates.empty());
}

TEST(ManualLocation, TheRunningProgramIsLookedUpFromItsOwnFolder) {
    const ManualLocation manual = locateManual("no-such-page.html");
    ASSERT_FALSE(manual.candidates.empty());
    const fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(manual.candidates[0],
              (self.parent_path().parent_path() / "share/kestrix/help/no-such-page.html").string());
    EXPECT_EQ(manual.found, "");
}

}  // namespace
}  // namespace kestrix::platform
