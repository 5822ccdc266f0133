#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/ini_profile.h"
#include "platform/ini_text.h"
#include "platform/memory_profile.h"

namespace kestrix::platform {
namespace {

namespace fs = std::filesystem;

struct ReadCase {
    const char* text;
    const char* section;
    const char* key;
    const char* expected;   // what a 30-character buffer receives, default "dflt"
};

TEST(IniText, ReadsValuesByTheProfileRules) {
    const ReadCase cases[] = {
        {"[Clock]\r\nName=Arial\r\n", "Clock", "Name", "Arial"},
        {"[CLOCK]\nNAME=Arial\n", "clock", "name", "Arial"},                   // names ignore case
        {"  [ Clock ]  \n  Name  =  Arial Black  \n", "Clock", "Name", "Arial Black"},   // blanks dropped
        {"[Clock]\nName=\t\"  Arial  \"\n", "Clock", "Name", "  Arial  "},     // quotes keep inner blanks
        {"[Clock]\nName='Arial'\n", "Clock", "Name", "Arial"},
        {"[Clock]\nName=\"Arial'\n", "Clock", "Name", "\"Arial'"},             // quotes that do not match
        {"[Clock]\nName=\"\n", "Clock", "Name", "\""},
        {"[Clock]\nName=\n", "Clock", "Name", ""},                              // present but empty
        {"[Clock]\nName=a=b\n", "Clock", "Name", "a=b"},
        {"[Clock]\nName=Arial", "Clock", "Name", "Arial"},                      // no final line end
        {"", "Clock", "Name", "dflt"},                                          // missing file
        {"[Terminal]\nName=Arial\n", "Clock", "Name", "dflt"},                  // missing section
        {"[Clock]\nSize=9\n", "Clock", "Name", "dflt"},                         // missing key
        {"Name=Arial\n[Clock]\n", "Clock", "Name", "dflt"},                     // before any section
        {"[Clock]\n;Name=Arial\n#Name=Arial\n", "Clock", "Name", "dflt"},       // comments
        {"[Clock]\n[Terminal]\nName=Arial\n", "Clock", "Name", "dflt"},
        {"[Clock]\nName=First\nName=Second\n", "Clock", "Name", "First"},
        {"[Clock]\nSize=9\n[Clock]\nName=Later\n", "Clock", "Name", "Later"},   // repeated section
        {"[Stop bits]\nStop bits=2\n", "stop BITS", "STOP bits", "2"},
    };
    for (const auto& c : cases) {
        MemoryProfile profile(c.text);
        EXPECT_EQ(profile.GetPrivateProfileStringA(c.section, c.key, "dflt", 30), c.expected) << c.text;
    }
}

TEST(IniText, BufferKeepsOneCharacterLessThanItsLength) {
    MemoryProfile profile("[S]\nK=abcdefghij\n");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 5), "abcd");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 11), "abcdefghij");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 1), "");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 0), "");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", -3), "");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "Missing", "Courier New", 5), "Cour");   // the default too
}

TEST(IniText, ReadsIntegersByTheProfileRules) {
    const std::pair<const char*, int> cases[] = {
        {"K=42\n", 42},       {"K=  42\n", 42},   {"K=42abc\n", 42},  {"K=4 2\n", 4},
        {"K=abc\n", 0},       {"K=\n", 0},        {"K=-5\n", -5},     {"K=- 5\n", 0},
        {"K=+5\n", 0},        {"K=\"7\"\n", 7},   {"K=10.5\n", 10},   {"K=0042\n", 42},
        {"K=99999999999\n", 2147483647},          {"K=-99999999999\n", -2147483647 - 1},
        {"", 77},             {"L=1\n", 77},
    };
    for (const auto& [body, expected] : cases) {
        MemoryProfile profile(std::string("[S]\n") + body);
        EXPECT_EQ(profile.GetPrivateProfileIntA("s", "k", 77), expected) << body;
    }
    MemoryProfile noFile;
    EXPECT_EQ(noFile.GetPrivateProfileIntA("S", "K", 9600), 9600);
}

struct WriteCase {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST(IniText, WritesChangeOnlyWhatTheyMust) {
    const WriteCase cases[] = {
        // A new file: CR LF line ends.
        {"", "Communications", "Port", "1", "[Communications]\r\nPort=1\r\n"},
        // In place, keeping the key's spelling, blanks before the value and the line end.
        {"[C]\r\nport = 1\r\nBaud=9600\r\n", "c", "PORT", "3", "[C]\r\nport =3\r\nBaud=9600\r\n"},
        {"[C]\nPort=1", "C", "Port", "2", "[C]\nPort=2"},
        {"[C]\nParity=0\n", "C", "Parity", " 0", "[C]\nParity= 0\n"},
        // Added after the last key line of its section, before comments and blank lines.
        {"[A]\nx=1\n; about B\n\n[B]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n; about B\n\n[B]\ny=2\n"},
        {"[A]\r\n\r\n[B]\r\n", "A", "z", "3", "[A]\r\nz=3\r\n\r\n[B]\r\n"},
        {"[A]\nx=1", "A", "z", "3", "[A]\nx=1\nz=3\n"},
        // Into the first of two sections of one name.
        {"[A]\nx=1\n[B]\n[A]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n[B]\n[A]\ny=2\n"},
        // A new section at the end, in the file's own line end.
        {"; settings\n[A]\nx=1\n", "B", "y", "2", "; settings\n[A]\nx=1\n[B]\ny=2\n"},
        {"[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
        {"[A]\r\nx=1\r\n\r\n", "B", "y", "2", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"},
    };
    for (const auto& c : cases) {
        MemoryProfile profile(c.before);
        ASSERT_TRUE(profile.WritePrivateProfileStringA(c.section, c.key, c.value)) << c.before;
        EXPECT_EQ(profile.text, c.after) << c.before;
        EXPECT_EQ(profile.GetPrivateProfileStringA(c.section, c.key, "", 100),
                  std::string(c.value).substr(c.value[0] == ' ' ? 1 : 0));
    }
}

TEST(IniText, RefusesEntriesThatWouldBreakTheFile) {
    MemoryProfile profile("[A]\nx=1\n");
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A", "x", "two\nlines"));
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A", "x=y", "1"));
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A]", "x", "1"));
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A", " ", "1"));
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A", "[x", "1"));
    EXPECT_EQ(profile.text, "[A]\nx=1\n");
    EXPECT_FALSE(profile.lastError().empty());
}

TEST(MemoryProfile, FailingWritesReportTheirReasonAndKeepTheText) {
    MemoryProfile profile("[A]\nx=1\n");
    profile.failWrites = "Disk full";
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A", "x", "2"));
    EXPECT_EQ(profile.lastError(), "Disk full");
    EXPECT_EQ(profile.text, "[A]\nx=1\n");
}

// A fresh folder under the system's temporary folder, removed afterwards.
class IniFileProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrix-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }
    static std::string contents(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::size_t entries(const fs::path& dir) const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
    fs::path folder;
};

TEST_F(IniFileProfileTest, MissingFileGivesDefaults) {
    IniFileProfile profile((folder / "Receiver.INI").string());
    EXPECT_EQ(profile.GetPrivateProfileIntA("Communications", "Port", 1), 1);
    EXPECT_EQ(profile.GetPrivateProfileStringA("Clock", "Name", "Courier New", 20), "Courier New");
}

TEST_F(IniFileProfileTest, WritesCreateTheFolderAndLeaveNoTemporaryFile) {
    const fs::path file = folder / "a" / "b" / "Receiver.INI";
    IniFileProfile profile(file.string());
    ASSERT_TRUE(profile.WritePrivateProfileStringA("Communications", "Port", "2")) << profile.lastError();
    ASSERT_TRUE(profile.WritePrivateProfileStringA("Communications", "Baud", "4800"));
    EXPECT_EQ(contents(file), "[Communications]\r\nPort=2\r\nBaud=4800\r\n");
    EXPECT_EQ(entries(file.parent_path()), 1u);
    EXPECT_EQ(profile.GetPrivateProfileIntA("communications", "baud", 9600), 4800);
}

TEST_F(IniFileProfileTest, RewritingKeepsForeignLinesAndTheFileMode) {
    const fs::path file = folder / "Receiver.INI";
    std::ofstream(file, std::ios::binary) << "; mine\n[Ports]\nCom1=/dev/ttyUSB0\n[Communications]\nPort=1\n";
    ::chmod(file.c_str(), 0640);
    IniFileProfile profile(file.string());
    ASSERT_TRUE(profile.WritePrivateProfileStringA("Communications", "Port", "4"));
    EXPECT_EQ(contents(file), "; mine\n[Ports]\nCom1=/dev/ttyUSB0\n[Communications]\nPort=4\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(folder), 1u);
}

TEST_F(IniFileProfileTest, WritingThroughALinkReplacesItsTarget) {
    const fs::path real = folder / "real.ini";
    std::ofstream(real, std::ios::binary) << "[A]\nx=1\n";
    fs::create_symlink(real, folder / "Receiver.INI");
    IniFileProfile profile((folder / "Receiver.INI").string());
    ASSERT_TRUE(profile.WritePrivateProfileStringA("A", "x", "2"));
    EXPECT_TRUE(fs::is_symlink(folder / "Receiver.INI"));
    EXPECT_EQ(contents(real), "[A]\nx=2\n");
}

TEST_F(IniFileProfileTest, AFolderThatCannotBeMadeFailsWithItsReason) {
    std::ofstream(folder / "blocker") << "a file where the folder should be";
    const std::string path = (folder / "blocker" / "kestrix" / "Receiver.INI").string();
    IniFileProfile profile(path);
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A", "x", "1"));
    EXPECT_NE(profile.lastError().find(path), std::string::npos) << profile.lastError();
    EXPECT_NE(profile.lastError().find("Not a directory"), std::string::npos) << profile.lastError();
}

TEST_F(IniFileProfileTest, AnUnwritableFolderFailsWithItsReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const fs::path file = folder / "Receiver.INI";
    std::ofstream(file, std::ios::binary) << "[A]\nx=1\n";
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    IniFileProfile profile(file.string());
    EXPECT_FALSE(profile.WritePrivateProfileStringA("A", "x", "2"));
    EXPECT_NE(profile.lastError().find("Permission denied"), std::string::npos) << profile.lastError();
    EXPECT_EQ(contents(file), "[A]\nx=1\n");
}

TEST(DefaultProfilePath, FollowsTheUsersConfigurationFolder) {
    const auto keep = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto restore = [](const char* name, const std::optional<std::string>& value) {
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    };
    const auto xdg = keep("XDG_CONFIG_HOME");
    const auto home = keep("HOME");

    ::setenv("XDG_CONFIG_HOME", "/cfg/", 1);
    EXPECT_EQ(defaultProfilePath(), "/cfg/kestrix/Receiver.INI");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    ::setenv("HOME", "/home/lab", 1);
    EXPECT_EQ(defaultProfilePath(), "/home/lab/.config/kestrix/Receiver.INI");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(defaultProfilePath(), "/home/lab/.config/kestrix/Receiver.INI");
    ::unsetenv("HOME");
    const std::string fromPasswords = defaultProfilePath();
    EXPECT_TRUE(fromPasswords.ends_with("/.config/kestrix/Receiver.INI")) << fromPasswords;

    restore("XDG_CONFIG_HOME", xdg);
    restore("HOME", home);
}

}  // namespace
}  // namespace kestrix::platform
