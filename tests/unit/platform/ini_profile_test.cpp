#include "platform/ini_profile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/ini_text.h"
#include "platform/memory_profile.h"

namespace kestrix::platform {
namespace {

namespace fs = std::filesystem;

struct ReadCase {
    const char* text;
    const char* section;
    const char* key;
    const char* expected;  // what a 30-character buffer receives, default "dflt"
};

struct WriteCase {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST(IniText, ReadsValuesByTheProfileRules) {
    const ReadCase cases[] = {
        {"[Clock]\r\nName=Arial\r\n", "Clock", "Name", "Arial"},
        {"[CLOCK]\nNAME=Arial\n", "clock", "name", "Arial"},                            // names ignore case
        {"  [ Clock ]  \n  Name  =  Arial Black  \n", "Clock", "Name", "Arial Black"},  // blanks dropped
        {"[Clock]\nName=\t\"  Arial  \"\n", "Clock", "Name", "  Arial  "},              // quotes keep inner blanks
        {"[Clock]\nName='Arial'\n", "Clock", "Name", "Arial"},
        {"[Clock]\nName=\"Arial'\n", "Clock", "Name", "\"Arial'"},  // quotes that do not match
        {"[Clock]\nName=\"\n", "Clock", "Name", "\""},
        {"[Clock]\nName=\n", "Clock", "Name", ""},  // present but empty
        {"[Clock]\nName=a=b\n", "Clock", "Name", "a=b"},
        {"[Clock]\nName=Arial", "Clock", "Name", "Arial"},                 // no final line end
        {"", "Clock", "Name", "dflt"},                                     // missing file
        {"[Terminal]\nName=Arial\n", "Clock", "Name", "dflt"},             // missing section
        {"[Clock]\nSize=9\n", "Clock", "Name", "dflt"},                    // missing key
        {"Name=Arial\n[Clock]\n", "Clock", "Name", "dflt"},                // before any section
        {"[Clock]\n;Name=Arial\n#Name=Arial\n", "Clock", "Name", "dflt"},  // comments
        {"[Clock]\n[Terminal]\nName=Arial\n", "Clock", "Name", "dflt"},
        {"[Clock]\nName=First\nName=Second\n", "Clock", "Name", "First"},
        {"[Clock]\nSize=9\n[Clock]\nName=Later\n", "Clock", "Name", "Later"},  // repeated section
        {"[Stop bits]\nStop bits=2\n", "stop BITS", "STOP bits", "2"},
        {"[Clock]\nName=First\n[CLOCK]\nname=Second\n", "clock", "NAME", "First"},
        {"[Clock]\n[Terminal]\nName=Arial\n[Clock]\nName=Later\n", "Clock", "Name", "Later"},
        {"[ ]\nName=Arial\n", "", "Name", "Arial"},  // a header with an empty name
    };
    for (const auto& c : cases) {
        MemoryProfile profile(c.text);
        // Twice on one text: the first read may index it, the second uses the index.
        EXPECT_EQ(profile.GetPrivateProfileStringA(c.section, c.key, "dflt", 30), c.expected) << c.text;
        EXPECT_EQ(profile.GetPrivateProfileStringA(c.section, c.key, "dflt", 30), c.expected) << c.text;
        EXPECT_EQ(ini::readString(c.text, c.section, c.key, "dflt", 30), c.expected) << c.text;
    }
}

TEST(IniText, BufferKeepsOneCharacterLessThanItsLength) {
    MemoryProfile profile("[S]\nK=abcdefghij\n");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 5), "abcd");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 11), "abcdefghij");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 1), "");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", 0), "");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "", -3), "");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "Missing", "Courier New", 5), "Cour");  // the default too
}

TEST(IniText, ADefaultIsReturnedWithoutItsTrailingBlanks) {
    MemoryProfile profile("[S]\nK=  value  \n");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "Missing", "Courier New  \t ", 30), "Courier New");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "Missing", "  x  ", 30), "  x");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "Missing", "   ", 30), "");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "Missing", "ab  ", 4), "ab");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "K", "dflt", 30), "value");
}

TEST(IniText, ReadsWholeValuesThroughAGrowingBuffer) {
    const std::string longName(700, 'n');
    MemoryProfile profile("[S]\nK=" + longName + "\nL=" + std::string(255, 'l') + "\n");
    EXPECT_EQ(readWholeString(profile, "S", "K", "dflt"), longName);
    EXPECT_EQ(readWholeString(profile, "S", "L", "dflt"), std::string(255, 'l'));
    EXPECT_EQ(readWholeString(profile, "S", "Missing", std::string(300, 'd') + "  "), std::string(300, 'd'));
}

TEST(IniText, SkipsALeadingByteOrderMarkAndKeepsIt) {
    const std::string bom = "\xEF\xBB\xBF";
    MemoryProfile profile(bom + "[Communications]\r\nPort=3\r\n[Clock]\r\nName=Arial\r\n");
    EXPECT_EQ(profile.GetPrivateProfileIntA("Communications", "Port", 1), 3);
    ASSERT_TRUE(profile.WritePrivateProfileStringA("Communications", "Port", "4"));
    ASSERT_TRUE(profile.WritePrivateProfileStringA("Communications", "Baud", "9600"));
    EXPECT_EQ(profile.text, bom + "[Communications]\r\nPort=4\r\nBaud=9600\r\n[Clock]\r\nName=Arial\r\n");

    MemoryProfile markOnly(bom);  // an empty file saved by such an editor
    EXPECT_EQ(markOnly.GetPrivateProfileIntA("A", "x", 7), 7);
    ASSERT_TRUE(markOnly.WritePrivateProfileStringA("A", "x", "1"));
    EXPECT_EQ(markOnly.text, bom + "[A]\r\nx=1\r\n");

    MemoryProfile notAtTheHead("[A]\n" + bom + "[B]\nx=1\n");  // only the head of the file is skipped
    EXPECT_EQ(notAtTheHead.GetPrivateProfileStringA("B", "x", "dflt", 30), "dflt");
}

TEST(IniText, CrAndLfAloneOrTogetherEndALine) {
    const ReadCase reads[] = {
        {"[Clock]\rName=Courier New\rSize=9\r", "Clock", "Name", "Courier New"},
        {"[Clock]\rName=Courier New", "Clock", "Name", "Courier New"},
        {"[Clock]\r\r\nName=Courier New\r\r\nSize=9\r\r\n", "Clock", "Name", "Courier New"},
        {"[Clock]\r\nName=Courier New\r", "Clock", "Name", "Courier New"},
        {"[Clock]\nName=Courier New\r\r\r\nSize=9\n", "Clock", "Name", "Courier New"},
        {"[Clock]\r\nName=Courier New\r\n\r[Terminal]\nName=Arial\r", "Terminal", "Name", "Arial"},
        {"[Clock]\rName=\"Courier New\"\r", "Clock", "Name", "Courier New"},
        // Bare CRs before the first LF and after the last, and an LF-only stretch between.
        {"[A]\rx=1\r[B]\ny=2\nv=5\r\nz=3\rw=4", "B", "w", "4"},
        {"[A]\rx=1\r[B]\ny=2\nv=5\r\nz=3\rw=4", "B", "v", "5"},
    };
    for (const auto& c : reads) {
        MemoryProfile profile(c.text);
        EXPECT_EQ(profile.GetPrivateProfileStringA(c.section, c.key, "dflt", 30), c.expected) << c.text;
    }

    const WriteCase writes[] = {
        // In place: the key's neighbours on the same bare-CR "line" are separate lines.
        {"[A]\rx=1\ry=2\r", "A", "x", "5", "[A]\rx=5\ry=2\r"},
        // After a last line ending in a bare CR: nothing else changes, the new line takes the
        // file's first line end.
        {"[A]\r\nx=1\r\ny=2\r", "A", "z", "3", "[A]\r\nx=1\r\ny=2\rz=3\r\n"},
        {"[A]\nx=1\r", "B", "y", "2", "[A]\nx=1\r[B]\ny=2\n"},
        {"[A]\rx=1", "A", "z", "3", "[A]\rx=1\rz=3\r"},
        {"[A]\r\r\nx=1\r\r\n", "A", "z", "3", "[A]\r\r\nx=1\r\r\nz=3\r\r\n"},
        {"[A]\r\r\nx=1\r\r\n", "A", "x", "2", "[A]\r\r\nx=2\r\r\n"},
    };
    for (const auto& c : writes) {
        MemoryProfile profile(c.before);
        ASSERT_TRUE(profile.WritePrivateProfileStringA(c.section, c.key, c.value)) << c.before;
        EXPECT_EQ(profile.text, c.after) << c.before;
    }

    MemoryProfile mixed("[A]\r\nx=1\r\ny=2\r");
    ASSERT_TRUE(mixed.WritePrivateProfileStringA("A", "z", "3"));
    ASSERT_TRUE(mixed.WritePrivateProfileStringA("A", "y", "4"));
    EXPECT_EQ(mixed.GetPrivateProfileStringA("A", "x", "", 30), "1");
    EXPECT_EQ(mixed.GetPrivateProfileStringA("A", "y", "", 30), "4");
    EXPECT_EQ(mixed.GetPrivateProfileStringA("A", "z", "", 30), "3");
}

TEST(IniText, ReadsIntegersByTheProfileRules) {
    const std::pair<const char*, int> cases[] = {
        {"K=42\n", 42},
        {"K=  42\n", 42},
        {"K=42abc\n", 42},
        {"K=4 2\n", 4},
        {"K=abc\n", 0},
        {"K=\n", 0},
        {"K=-5\n", -5},
        {"K=- 5\n", 0},
        {"K=+5\n", 5},
        {"K= +2\n", 2},
        {"K=+ 5\n", 0},
        {"K=+-5\n", 0},
        {"K=\"7\"\n", 7},
        {"K=10.5\n", 10},
        {"K=0042\n", 42},
        {"K=99999999999\n", 2147483647},
        {"K=-99999999999\n", -2147483647 - 1},
        {"", 77},
        {"L=1\n", 77},
    };
    for (const auto& [body, expected] : cases) {
        MemoryProfile profile(std::string("[S]\n") + body);
        EXPECT_EQ(profile.GetPrivateProfileIntA("s", "k", 77), expected) << body;
    }
    MemoryProfile noFile;
    EXPECT_EQ(noFile.GetPrivateProfileIntA("S", "K", 9600), 9600);
}

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

TEST(MemoryProfile, ReadsTheTextAsItStandsWhenItIsChangedDirectly) {
    MemoryProfile profile("[A]\r\nx=1\r\n");
    EXPECT_EQ(profile.GetPrivateProfileIntA("A", "x", 0), 1);
    profile.text = "[A]\r\nx=2\r\n";
    EXPECT_EQ(profile.GetPrivateProfileIntA("A", "x", 0), 2);
    ASSERT_TRUE(profile.WritePrivateProfileStringA("A", "y", "3"));
    EXPECT_EQ(profile.text, "[A]\r\nx=2\r\ny=3\r\n");

    MemoryProfile copy = profile;
    copy.text.clear();
    EXPECT_EQ(copy.GetPrivateProfileIntA("A", "x", 7), 7);
    ASSERT_TRUE(copy.WritePrivateProfileStringA("A", "x", "4"));
    EXPECT_EQ(copy.text, "[A]\r\nx=4\r\n");
    EXPECT_EQ(profile.GetPrivateProfileIntA("A", "y", 0), 3);
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

TEST_F(IniFileProfileTest, ALinkToAFileNotYetMadeIsWrittenThrough) {
    fs::create_directory(folder / "store");
    const struct {
        fs::path link;
        fs::path target;   // as the link holds it
        fs::path written;  // where the file should appear
    } cases[] = {
        {folder / "absolute.INI", folder / "store" / "a.ini", folder / "store" / "a.ini"},
        {folder / "relative.INI", "store/b.ini", folder / "store" / "b.ini"},
        {folder / "chained.INI", "absolute.INI", folder / "store" / "a.ini"},       // a link to the first link
        {folder / "deep.INI", folder / "new" / "c.ini", folder / "new" / "c.ini"},  // its folder made too
    };
    for (const auto& c : cases) fs::create_symlink(c.target, c.link);
    for (const auto& c : cases) {
        IniFileProfile profile(c.link.string());
        ASSERT_TRUE(profile.WritePrivateProfileStringA("A", c.link.filename().string(), "1")) << profile.lastError();
        ASSERT_TRUE(fs::is_symlink(c.link)) << c.link;
        EXPECT_EQ(fs::read_symlink(c.link), c.target);
        EXPECT_NE(contents(c.written).find(c.link.filename().string() + "=1\r\n"), std::string::npos) << c.link;
        EXPECT_EQ(profile.GetPrivateProfileIntA("A", c.link.filename().string(), 0), 1);
    }
    EXPECT_EQ(contents(folder / "store" / "a.ini"), "[A]\r\nabsolute.INI=1\r\nchained.INI=1\r\n");
    EXPECT_EQ(entries(folder / "store"), 2u);  // no temporary file left beside the targets
}

TEST_F(IniFileProfileTest, RewritingKeepsTheFilesOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can give a file away";
    const fs::path file = folder / "Receiver.INI";
    std::ofstream(file, std::ios::binary) << "[A]\nx=1\n";
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    IniFileProfile profile(file.string());
    ASSERT_TRUE(profile.WritePrivateProfileStringA("A", "x", "2")) << profile.lastError();
    ASSERT_TRUE(profile.WritePrivateProfileStringA("B", "y", "3")) << profile.lastError();
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(contents(file), "[A]\nx=2\n[B]\ny=3\n");
}

TEST_F(IniFileProfileTest, ANewFileAndFolderTakeTheOwnerOfTheFolderTheyAreMadeIn) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can give a file away";
    const fs::path home = folder / "home";
    fs::create_directory(home);
    ASSERT_EQ(::chown(home.c_str(), 4321, 4322), 0);
    const fs::path file = home / "kestrix" / "Receiver.INI";
    IniFileProfile profile(file.string());
    ASSERT_TRUE(profile.WritePrivateProfileStringA("A", "x", "1")) << profile.lastError();
    for (const fs::path& made : {file.parent_path(), file}) {
        struct stat info {};
        ASSERT_EQ(::stat(made.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 4321u) << made;
        EXPECT_EQ(info.st_gid, 4322u) << made;
    }
}

TEST_F(IniFileProfileTest, RewritingKeepsAnotherGroupOfTheUser) {
    // What a user other than the superuser may keep: a group of its own other than its first.
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    const auto other = std::find_if(groups.begin(), groups.end(), [](gid_t g) { return g != ::getegid(); });
    if (other == groups.end()) GTEST_SKIP() << "the user belongs to one group only";
    const fs::path file = folder / "Receiver.INI";
    std::ofstream(file, std::ios::binary) << "[A]\nx=1\n";
    ASSERT_EQ(::chown(file.c_str(), static_cast<uid_t>(-1), *other), 0);
    IniFileProfile profile(file.string());
    ASSERT_TRUE(profile.WritePrivateProfileStringA("A", "x", "2"));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_EQ(info.st_gid, *other);
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
