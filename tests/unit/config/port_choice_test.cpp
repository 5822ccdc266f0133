#include "config/port_choice.h"

#include <gtest/gtest.h>

#include "config/comm_settings_dialog.h"
#include "config/ports.h"
#include "platform/memory_profile.h"
#include "support/rig.h"

namespace kestrix {
namespace {

using config::DeviceChoice;
using testing::Rig;

const std::string kById = "/dev/serial/by-id/usb-Qerrin_QX2_Timing_0041-if00-port0";

std::vector<std::string> labels(const std::vector<DeviceChoice>& choices) {
    std::vector<std::string> out;
    for (const auto& c : choices) out.push_back(c.label);
    return out;
}

TEST(DeviceChoices, ByIdLinksFirstByReadableNameThenUsbAcmAndTheSerialPortsThatAnswerByNumber) {
    const std::vector<platform::SerialDeviceEntry> present{
        {"/dev/ttyS10", {}, true},
        {"/dev/ttyUSB10", {}, true},
        {"/dev/ttyS3", {}, false},  // a name the kernel made with no UART behind it
        {kById, "/dev/ttyUSB10", true},
        {"/dev/ttyACM0", {}, true},
        {"/dev/ttyS2", {}, true},
        {"/dev/ttyUSB2", {}, true},
        {"/dev/serial/by-id/pci-Brannock_Dual_RS232-if01", "/dev/ttyS4", true},
        {"/dev/ttySAC", {}, true},  // not a numbered device of a family offered
    };
    const auto choices = config::deviceChoices(present);
    EXPECT_EQ(labels(choices),
              (std::vector<std::string>{"Brannock Dual RS232 (ttyS4)", "Qerrin QX2 Timing 0041 (ttyUSB10)",
                                        "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10"}));
    EXPECT_EQ(choices[1].path, kById);  // the link is what is stored, so a replugged adapter is found
}

TEST(NetworkAddress, AcceptsBothSchemesWithANameAnIpv4OrABracketedIpv6HostAndSaysWhatIsWrongOtherwise) {
    const std::string ipv6 = "An IPv6 address is written in brackets, followed by a colon and the port: [::1]:2217";
    const std::string badPort = "The port is a number from 1 to 65535";
    const std::pair<const char*, std::string> cases[] = {
        {"rfc2217://rack7-ts.lab:2217", ""},
        {"tcp://192.0.2.17:4001", ""},
        {"tcp://[::1]:3333", ""},
        {"rfc2217://[fe80::1%eth0]:2217", ""},
        {"telnet://host:23", "A network address starts with rfc2217:// or tcp://"},
        {"tcp://host", "The address needs a port: HOST:PORT"},
        {"tcp://:4001", "The address needs a host: HOST:PORT"},
        {"tcp://[]:4001", "The address needs a host: HOST:PORT"},
        {"tcp://host:0", badPort},
        {"tcp://host:65536", badPort},
        {"tcp://host:40x1", badPort},
        {"tcp://::1:3333", "The host name is not valid: ::1"},  // an IPv6 address needs its brackets
        {"tcp://[::1]3333", ipv6},
        {"tcp://[::1:3333", ipv6},
        {"tcp://a b:1", "The host name is not valid: a b"},
    };
    for (const auto& [address, problem] : cases) EXPECT_EQ(config::networkAddressProblem(address), problem) << address;
}

TEST(ReopenSetting, IsOnUnlessTheKeyIsZero) {
    const std::pair<const char*, bool> cases[] = {
        {"", true}, {"[Ports]\nReopen=1\n", true}, {"[Ports]\nReopen=0\n", false}, {"[ports]\nreopen = 0\n", false}};
    for (auto [text, on] : cases) {
        platform::MemoryProfile profile(text);
        EXPECT_EQ(config::reopenLostPort(profile), on) << text;
    }
}

class PortChoice : public ::testing::Test {
protected:
    void SetUp() override {
        rig.profile.text = kUsersFile;
        rig.fakes.serialDevices.entries = {{"/dev/ttyUSB0", {}, true}, {kById, "/dev/ttyUSB0", true}};
        rig.app->start();
    }
    ConfigScrn& dialog() { return rig.forms.configScrn; }
    void open() { rig.form1.MSettings.onClick(); }
    // Picks a line of the device list, as the user does in the drop-down.
    void pick(const std::string& label) {
        dialog().cboDevice.text = label;
        dialog().cboDevice.onClick();
    }
    const std::string kUsersFile =
        "; rack 3\r\n[Ports]\r\n; the adapter on the left\r\nCom1=/dev/ttyUSB0\r\nReopen=1\r\nCom3=/dev/ttyS9\r\n"
        "\r\n[Communications]\r\nPort=1\r\n";
    Rig rig;
};

TEST_F(PortChoice, ListsTheDevicesPresentWithThePortsOwnChosen) {
    open();
    EXPECT_EQ(dialog().cboDevice.items(),
              (std::vector<std::string>{"Qerrin QX2 Timing 0041 (ttyUSB0)", "/dev/ttyUSB0"}));
    EXPECT_EQ(dialog().cboDevice.text, "/dev/ttyUSB0");
    dialog().ComPort[3].onClick();  // a device not present now is still shown as the port's own
    EXPECT_EQ(dialog().cboDevice.text, "/dev/ttyS9");
    EXPECT_EQ(dialog().txtNetAddress.text(), "");
}

TEST_F(PortChoice, ChoicesAreUsedAtOnceAndSavedAtExitWithTheUsersLinesKept) {
    rig.openPort();
    open();
    pick("Qerrin QX2 Timing 0041 (ttyUSB0)");
    dialog().ComPort[2].onClick();
    dialog().txtNetAddress.setText("rfc2217://rack3-ts.lab:2217");
    dialog().ComPort[1].onClick();  // back: COM1 keeps the device picked, COM2 the address
    EXPECT_EQ(dialog().cboDevice.text, "Qerrin QX2 Timing 0041 (ttyUSB0)");
    const int opens = rig.port.openAttempts;
    dialog().OKButton.onClick();
    EXPECT_FALSE(dialog().visible);
    EXPECT_EQ(rig.port.openAttempts, opens + 1);  // the open port moved to the device chosen
    EXPECT_TRUE(rig.port.portOpen());
    CommSettingsDialog& settings = rig.app->commSettings();
    EXPECT_EQ(settings.devicePath(1), kById);
    EXPECT_EQ(settings.devicePath(2), "rfc2217://rack3-ts.lab:2217");
    EXPECT_EQ(dialog().lblComPath[2].caption, "rfc2217://rack3-ts.lab:2217");
    EXPECT_EQ(rig.profile.text, kUsersFile);  // nothing written before the program ends

    rig.app->exitNow();
    EXPECT_EQ(rig.profile.text.rfind("; rack 3\r\n[Ports]\r\n; the adapter on the left\r\nCom1=" + kById +
                                         "\r\nReopen=1\r\nCom3=/dev/ttyS9\r\nCom2=rfc2217://rack3-ts.lab:2217\r\n\r\n"
                                         "[Communications]\r\n",
                                     0),
              0u)
        << rig.profile.text;
}

TEST_F(PortChoice, AnAddressThatCannotBeUsedIsRefusedAndTheDialogStays) {
    open();
    dialog().txtNetAddress.setText("tcp://rack3-ts.lab");
    dialog().OKButton.onClick();
    EXPECT_TRUE(dialog().visible);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("needs a port"), std::string::npos);
    EXPECT_EQ(rig.app->commSettings().devicePath(1), "/dev/ttyUSB0");
    dialog().CancelButton.onClick();
    rig.app->exitNow();
    EXPECT_EQ(rig.profile.text.find("rack3-ts"), std::string::npos);
}

}  // namespace
}  // namespace kestrix
