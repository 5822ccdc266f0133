#include "config/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "config/ports.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "platform/fake_services.h"
#include "platform/memory_profile.h"
#include "program/forms.h"

namespace kestrix::config {
namespace {

// One run of the program on fakes, over a settings file held in memory.
struct ProgramRun {
    explicit ProgramRun(std::string file = {}) { profile.text = std::move(file); }

    platform::FakeSerialPort serial;
    platform::FakeServices fakes;
    platform::MemoryProfile& profile = fakes.profile;
    platform::Platform platform = fakes.platformWith(serial);
    std::unique_ptr<Forms> forms = std::make_unique<Forms>();
    LinkState state;
    Context context{*forms, state, platform};

    // What start-up takes from the file: the port's properties and the three display fonts.
    void applySettings() {
        serial.setCommPort(readPort(profile));
        serial.setSettings(portSettingsText(profile));
        serial.setHandshaking(readPacing(profile));
        for (auto& display : displayFonts(*forms))
            display.element = readFont(profile, display.section, display.element);
    }
};

// A value as the file holds it, however long.
std::string storedText(platform::MemoryProfile& profile, const char* section, const char* key) {
    return profile.GetPrivateProfileStringA(section, key, "(missing)", 1000);
}

constexpr const char* kFirstRunFile =
    "[Communications]\r\nPort=1\r\nBaud=9600\r\nParity= 0\r\nStop bits=1\r\nData bits=8\r\nPacing=0\r\n"
    "[Status Font]\r\nName=Courier New\r\nSize=9\r\nItalics=0\r\nBold=0\r\n"
    "[Clock]\r\nName=Courier New\r\nSize=48\r\nItalics=0\r\nBold=0\r\n"
    "[Terminal]\r\nName=Courier New\r\nSize=9\r\nItalics=0\r\nBold=0\r\n"
    "[Miscellaneous]\r\nFunction=0\r\n";

TEST(Settings, AFirstRunWithoutAFileUsesTheDefaults) {
    ProgramRun run;
    EXPECT_EQ(readPort(run.profile), 1);
    EXPECT_EQ(portSettingsText(run.profile), " 9600,N, 8, 1");
    EXPECT_EQ(readPacing(run.profile), 0);
    EXPECT_EQ(readViewCode(run.profile), kStatusView);

    run.applySettings();
    EXPECT_EQ(run.serial.settings(), "9600,n,8,1");
    const FontSpec status{"Courier New", 9.0f, false, false};
    const FontSpec clock{"Courier New", 48.0f, false, false};  // built bold: a missing key clears it
    EXPECT_EQ(run.forms->form1.Term.font, status);
    EXPECT_EQ(run.forms->frmClock.lblClock.font, clock);
    EXPECT_EQ(run.forms->frmTerminal.txtTerminal.font, status);
}

TEST(Settings, SavingWritesTheNineteenKeysInOrder) {
    ProgramRun run;
    run.applySettings();
    EXPECT_EQ(saveSettings(run.context), std::nullopt);
    EXPECT_EQ(run.profile.text, kFirstRunFile);
    EXPECT_EQ(run.profile.writes, 19);

    ProgramRun again(run.profile.text);  // saving unchanged settings changes nothing
    again.applySettings();
    EXPECT_EQ(saveSettings(again.context), std::nullopt);
    EXPECT_EQ(again.profile.text, kFirstRunFile);
}

TEST(Settings, PortParametersSurviveARun) {
    ProgramRun first;
    first.serial.setCommPort(3);
    first.serial.setSettings("4800,O,7,2");
    first.serial.setHandshaking(1);
    ASSERT_EQ(saveSettings(first.context), std::nullopt);
    const std::string& file = first.profile.text;
    for (const char* line :
         {"Port=3\r\n", "Baud=4800\r\n", "Parity= 1\r\n", "Stop bits=2\r\n", "Data bits=7\r\n", "Pacing=1\r\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;

    ProgramRun next(file);
    next.applySettings();
    EXPECT_EQ(portSettingsText(next.profile), " 4800,O, 7, 2");
    EXPECT_EQ(next.serial.commPort(), 3);
    EXPECT_EQ(next.serial.settings(), "4800,o,7,2");
    EXPECT_EQ(next.serial.handshaking(), 1);
}

TEST(Settings, EveryParityLetterRoundTrips) {
    for (const char letter : {'n', 'o', 'e', 'm', 's'}) {
        ProgramRun first;
        first.serial.setSettings(std::string("9600,") + letter + ",8,1");
        ASSERT_EQ(saveSettings(first.context), std::nullopt);
        ProgramRun next(first.profile.text);
        next.applySettings();
        EXPECT_EQ(next.serial.settings(), first.serial.settings());
    }
    EXPECT_EQ(parityLetter(7), 'N');
    EXPECT_EQ(parityLetter(-1), 'N');
    EXPECT_EQ(parityCode('x'), 0);
}

TEST(Settings, FontsAndViewSurviveARun) {
    ProgramRun first;
    first.forms->form1.Term.font = {"Lucida Console", 9.75f, false, true};
    first.forms->frmClock.lblClock.font = {"Arial", 57.6f, true, false};
    first.forms->form1.funcStatus.checked = false;
    first.forms->form1.funcClock.checked = true;
    ASSERT_EQ(saveSettings(first.context), std::nullopt);
    EXPECT_NE(first.profile.text.find("Size=57.6\r\n"), std::string::npos);

    ProgramRun next(first.profile.text);
    next.applySettings();
    EXPECT_EQ(next.forms->form1.Term.font, (FontSpec{"Lucida Console", 9.75f, false, true}));
    EXPECT_EQ(next.forms->frmClock.lblClock.font, (FontSpec{"Arial", 57.6f, true, false}));
    EXPECT_EQ(readViewCode(next.profile), kClockView);
}

TEST(Settings, TheFunctionKeyFollowsTheFirstCheckedView) {
    const std::pair<MenuItem Form1::*, const char*> cases[] = {
        {&Form1::funcStatus, "Function=0"},
        {&Form1::funcClock, "Function=1"},
        {&Form1::funcTermEmul, "Function=2"},
        {&Form1::FuncCustUpdate, "Function=3"},
    };
    for (const auto& [item, line] : cases) {
        ProgramRun run;
        run.forms->form1.funcStatus.checked = false;
        (run.forms->form1.*item).checked = true;
        ASSERT_EQ(saveSettings(run.context), std::nullopt);
        EXPECT_NE(run.profile.text.find(line), std::string::npos) << line;
    }
}

TEST(Settings, StoredValuesAreReadByTheTableRules) {
    ProgramRun run(
        "; written by hand\n"
        "[Communications]\nParity=7\n"
        "[Miscellaneous]\nFunction=9\n"
        "[Status Font]\nName=ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678\nSize=10.5pt\nBold=2\nItalics=x\n"
        "[Clock]\nName=ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678\nSize= 60\n"
        "[Terminal]\nSize=8.25 points\n");
    EXPECT_EQ(portSettingsText(run.profile), " 9600,N, 8, 1");
    EXPECT_EQ(readViewCode(run.profile), kStatusView);

    const FontSpec builtIn{"Courier New", 9.0f, true, true};
    EXPECT_EQ(readFont(run.profile, kStatusFontSection, builtIn),
              (FontSpec{"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678", 10.5f, false, true}));  // whole
    EXPECT_EQ(readFont(run.profile, kClockFontSection, builtIn),
              (FontSpec{"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678", 60.0f, false, false}));
    EXPECT_EQ(readFont(run.profile, kTerminalFontSection, builtIn), (FontSpec{"Courier New", 8.25f, false, false}));
}

TEST(Settings, ValuesThePortOrFontsCannotTakeAreReplaced) {
    ProgramRun run(
        "[Communications]\nPort=7\nBaud=38400\nData bits=9\nStop bits=3\nPacing=5\n"
        "[Status Font]\nName=\nSize=0\n"
        "[Clock]\nSize=abc\n"
        "[Terminal]\nSize=123456789012\n");
    ASSERT_NO_THROW(run.applySettings());
    EXPECT_EQ(run.serial.commPort(), 1);
    EXPECT_EQ(run.serial.settings(), "9600,n,8,1");
    EXPECT_EQ(run.serial.handshaking(), 0);
    EXPECT_EQ(run.forms->form1.Term.font, (FontSpec{"Courier New", 9.0f, false, false}));
    EXPECT_EQ(run.forms->frmClock.lblClock.font.size, 48.0f);
    EXPECT_EQ(run.forms->frmTerminal.txtTerminal.font.size, 9.0f);

    // Each rate the port supports and 16 bits hold is kept; the rest start at 9600.
    for (const auto& [stored, used] : std::initializer_list<std::pair<const char*, int>>{{"300", 300},
                                                                                         {"19200", 19200},
                                                                                         {"38400", 9600},
                                                                                         {"115200", 9600},
                                                                                         {"-9600", 9600},
                                                                                         {"1234", 9600},
                                                                                         {"75536", 9600}}) {
        platform::MemoryProfile profile(std::string("[Communications]\nBaud=") + stored + "\n");
        EXPECT_EQ(readBaud(profile), used) << stored;
    }
    EXPECT_EQ(sanitisePort(0), 1);
    EXPECT_EQ(sanitisePort(4), 4);
    EXPECT_EQ(sanitiseFontSize(-3.0f, 9.0f), 9.0f);
    EXPECT_EQ(sanitiseFontSize(0.5f, 9.0f), 9.0f);
    EXPECT_EQ(sanitiseFontSize(1.0f, 9.0f), 1.0f);
    EXPECT_EQ(sanitiseFontSize(1638.0f, 9.0f), 1638.0f);
}

TEST(Settings, APlusSignBeforeANumberIsAccepted) {
    ProgramRun run("[Communications]\nPort=+2\nBaud=+4800\nData bits=+7\nPacing= +1\n[Miscellaneous]\nFunction=+3\n");
    run.applySettings();
    EXPECT_EQ(run.serial.commPort(), 2);
    EXPECT_EQ(run.serial.settings(), "4800,n,7,1");
    EXPECT_EQ(run.serial.handshaking(), 1);
    EXPECT_EQ(readViewCode(run.profile), kCustomUpdateView);
}

TEST(Settings, AFileWithAByteOrderMarkIsReadAndKeptWhole) {
    const std::string bom = "\xEF\xBB\xBF";
    ProgramRun run(bom + "[Communications]\r\nPort=3\r\nBaud=4800\r\n");
    run.applySettings();
    EXPECT_EQ(run.serial.commPort(), 3);
    EXPECT_EQ(run.serial.settings(), "4800,n,8,1");
    ASSERT_EQ(saveSettings(run.context), std::nullopt);
    const std::string& file = run.profile.text;
    EXPECT_EQ(file.rfind(bom + "[Communications]\r\nPort=3\r\nBaud=4800\r\nParity= 0\r\n", 0), 0u) << file;
    EXPECT_EQ(file.find("[Communications]", 4), std::string::npos) << file;  // one copy of the section
}

TEST(Settings, AFileWithCrLineEndsIsReadAndSaved) {
    for (const char* ending : {"\r", "\r\r\n"}) {
        std::string file = kFirstRunFile;
        for (std::size_t at = 0; (at = file.find("\r\n", at)) != std::string::npos; at += std::strlen(ending))
            file.replace(at, 2, ending);
        file.replace(file.find("Name=Courier New"), 16, "Name=Lucida Console");
        file.replace(file.find("Port=1"), 6, "Port=2");
        ProgramRun run(file);
        run.applySettings();
        EXPECT_EQ(run.forms->form1.Term.font.name, "Lucida Console");
        EXPECT_EQ(run.forms->frmClock.lblClock.font, (FontSpec{"Courier New", 48.0f, false, false}));
        EXPECT_EQ(run.serial.commPort(), 2);
        EXPECT_EQ(run.serial.settings(), "9600,n,8,1");
        EXPECT_EQ(saveSettings(run.context), std::nullopt);
        EXPECT_EQ(run.profile.text, file);  // nothing changed, so nothing moves
    }
}

TEST(Settings, FontSizesAreWrittenInPlainDecimalAndReadBackExactly) {
    const std::pair<float, const char*> kept[] = {
        {9.75f, "9.75"}, {1.0f, "1"}, {1638.0f, "1638"}, {10.0000105f, "10.0000105"}, {127.99999f, "127.99999"},
    };
    for (const auto& [size, text] : kept) {
        ProgramRun first;
        first.forms->frmClock.lblClock.font.size = size;  // read back from a short buffer before
        first.forms->frmTerminal.txtTerminal.font.size = size;
        ASSERT_EQ(saveSettings(first.context), std::nullopt);
        EXPECT_EQ(storedText(first.profile, "Clock", "Size"), text);
        EXPECT_EQ(storedText(first.profile, "Terminal", "Size"), text);
        ProgramRun next(first.profile.text);
        next.applySettings();
        EXPECT_EQ(next.forms->frmClock.lblClock.font.size, size) << text;
        EXPECT_EQ(next.forms->frmTerminal.txtTerminal.font.size, size) << text;
    }
    // Sizes no display can take are written as they are, never in exponent form, and read back
    // as the built-in size rather than as the number before an exponent's "e".
    const std::pair<float, const char*> replaced[] = {
        {0.0001f, "0.0001"},
        {0.5f, "0.5"},
        {1e30f, "1000000015047466219876688855040"},
        {2000.0f, "2000"},
    };
    for (const auto& [size, text] : replaced) {
        ProgramRun first;
        first.forms->frmClock.lblClock.font.size = size;
        ASSERT_EQ(saveSettings(first.context), std::nullopt);
        EXPECT_EQ(storedText(first.profile, "Clock", "Size"), text);
        ProgramRun next(first.profile.text);
        next.applySettings();
        EXPECT_EQ(next.forms->frmClock.lblClock.font.size, 48.0f) << text;
    }
}

TEST(Settings, LongFaceNamesAreReadWholeAndStayTheSameRunAfterRun) {
    const std::string longest(64, 'W');
    const FontSpec status{"Noto Sans Mono CJK SC Light Condensed", 9.0f, false, false};  // over 29 characters
    const FontSpec clock{"Noto Sans Mono CJK SC", 48.0f, false, true};                   // over 19
    const FontSpec terminal{longest, 9.0f, true, false};
    std::string file;
    {
        ProgramRun first;
        first.forms->form1.Term.font = status;
        first.forms->frmClock.lblClock.font = clock;
        first.forms->frmTerminal.txtTerminal.font = terminal;
        ASSERT_EQ(saveSettings(first.context), std::nullopt);
        file = first.profile.text;
    }
    for (int run = 0; run < 3; ++run) {
        ProgramRun next(file);
        next.applySettings();
        EXPECT_EQ(next.forms->form1.Term.font, status);
        EXPECT_EQ(next.forms->frmClock.lblClock.font, clock);
        EXPECT_EQ(next.forms->frmTerminal.txtTerminal.font, terminal);
        ASSERT_EQ(saveSettings(next.context), std::nullopt);
        EXPECT_EQ(next.profile.text, file);
    }
}

// Found by fuzzing: a face name with blanks inside its quotes was saved without them, and the
// next start read another name.
TEST(Settings, FaceNamesInQuotesWithBlanksComeBackTheSameAfterASave) {
    ProgramRun first(
        "[Terminal]\nName=\" Liberation Mono \"\n[Clock]\nName=\"'Courier New'\"\n[Status Font]\nName=\"  \"\n");
    first.applySettings();
    EXPECT_EQ(first.forms->frmTerminal.txtTerminal.font.name, "Liberation Mono");
    EXPECT_EQ(first.forms->frmClock.lblClock.font.name, "Courier New");
    EXPECT_EQ(first.forms->form1.Term.font.name, FontSpec{}.name);
    ASSERT_EQ(saveSettings(first.context), std::nullopt);

    ProgramRun next(first.profile.text);
    next.applySettings();
    EXPECT_EQ(next.forms->frmTerminal.txtTerminal.font, first.forms->frmTerminal.txtTerminal.font);
    EXPECT_EQ(next.forms->frmClock.lblClock.font, first.forms->frmClock.lblClock.font);
    EXPECT_EQ(next.forms->form1.Term.font, first.forms->form1.Term.font);
}

TEST(Settings, SavingKeepsLinesTheProgramDoesNotKnow) {
    const std::string handWritten =
        "; Kestrix settings\r\n"
        "[Ports]\r\nCom1=/dev/ttyUSB0\r\n\r\n"
        "[Communications]\r\nPort=2\r\nOperator=lab 3\r\n\r\n"
        "[Extra]\r\nkeep=me\r\n";
    ProgramRun run(handWritten);
    run.applySettings();
    ASSERT_EQ(saveSettings(run.context), std::nullopt);
    const std::string& file = run.profile.text;
    EXPECT_EQ(file.rfind("; Kestrix settings\r\n[Ports]\r\nCom1=/dev/ttyUSB0\r\n\r\n[Communications]\r\nPort=2\r\n"
                         "Operator=lab 3\r\nBaud=9600\r\n",
                         0),
              0u)
        << file;
    EXPECT_NE(file.find("Pacing=0\r\n\r\n[Extra]\r\nkeep=me\r\n[Status Font]\r\n"), std::string::npos) << file;
    EXPECT_EQ(comPortPaths(run.profile)[0], "/dev/ttyUSB0");
}

TEST(Settings, ASaveThatCannotBeWrittenReportsTheFirstReasonOnce) {
    ProgramRun run;
    run.profile.failWrites = "Cannot write /x/Receiver.INI: Read-only file system";
    EXPECT_EQ(saveSettings(run.context), "Cannot write /x/Receiver.INI: Read-only file system");
    EXPECT_EQ(run.profile.writes, 19);  // every key was still attempted
}

}  // namespace
}  // namespace kestrix::config
