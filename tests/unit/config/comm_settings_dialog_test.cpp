#include "config/comm_settings_dialog.h"

#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

class CommSettings : public ::testing::Test {
protected:
    void SetUp() override { rig.port.setSettings(" 9600,N, 8, 1"); }
    ConfigScrn& dialog() { return rig.forms.configScrn; }
    void open() { rig.form1.MSettings.onClick(); }
    void click(OptionButton& b) { b.onClick(); }
    void ok() { dialog().OKButton.onClick(); }
    std::vector<std::string> selected() {
        std::vector<std::string> names;
        for (OptionButton* b : dialog().optionButtons())
            if (b->value) names.push_back(b->name);
        return names;
    }
    Rig rig;
};

TEST_F(CommSettings, OpensWithTheLivePortsParameters) {
    open();
    EXPECT_TRUE(dialog().visible);
    EXPECT_EQ(selected(),
              (std::vector<std::string>{"ComPort(1)", "NoParity", "Baud96", "EchoOff", "Data8", "Stop1", "NoFlow"}));
    EXPECT_FALSE(dialog().EchoOn.enabled);
    const PendingSelection& p = rig.app->commSettings().pending();
    EXPECT_EQ(p.port, 1);
    EXPECT_EQ(p.baud, "9600");
    EXPECT_EQ(p.parity, "N");
    EXPECT_EQ(p.dataBits, "8");
    EXPECT_EQ(p.stopBits, "1");
}

TEST_F(CommSettings, ShowsEachPortsWholeDevicePathBesideItsButton) {
    const std::string byId = "/dev/serial/by-id/usb-Morvandelle_Timing_Link_MDL-26-00417-if00-port0";
    rig.profile.text = "[Ports]\r\nCom2=" + byId + "\r\n";
    rig.app->start();
    open();
    for (int i : {1, 2}) {
        const Label& path = dialog().lblComPath[i];
        const std::string expected = i == 1 ? "/dev/ttyS0" : byId;
        EXPECT_EQ(path.caption, expected);
        EXPECT_EQ(path.toolTip, expected);
        EXPECT_TRUE(path.elideInTheMiddle);  // cut to fit, never at its end
        EXPECT_FALSE(path.wordWrap);
    }
}

TEST_F(CommSettings, ARawTcpPortSaysItsLineIsSetAtTheFarEnd) {
    rig.profile.text = "[Ports]\r\nCom2=tcp://[2001:db8::7]:4001\r\nCom3=rfc2217://ts-9.lab:4002\r\n";
    rig.app->start();
    open();
    for (int port : {2, 1, 3}) {
        click(dialog().ComPort[port]);
        const bool farEnd = port == 2;
        EXPECT_EQ(dialog().lblFarEnd.visible, farEnd) << port;
        EXPECT_EQ(dialog().lblFarEnd.caption.find("set at the far end") != std::string::npos, farEnd) << port;
        EXPECT_EQ(dialog().lblComPath[port].caption.starts_with("tcp://"), farEnd) << port;
        for (OptionButton* b :
             {&dialog().Baud96, &dialog().EvenParity, &dialog().Data7, &dialog().Stop2, &dialog().RTSFlow})
            EXPECT_EQ(b->enabled, !farEnd) << port << " " << b->name;
        EXPECT_TRUE(dialog().ComPort[1].enabled);
    }
}

TEST_F(CommSettings, OkAppliesTheSelection) {
    open();
    click(dialog().Baud19dot2);
    click(dialog().XonFlow);
    ok();
    EXPECT_EQ(rig.port.settings(), "19200,n,8,1");
    EXPECT_EQ(rig.port.handshaking(), 1);
    EXPECT_FALSE(dialog().visible);
    EXPECT_EQ(selected(), (std::vector<std::string>{"ComPort(1)", "NoParity", "Baud19dot2", "EchoOff", "Data8", "Stop1",
                                                    "XonFlow"}));
}

TEST_F(CommSettings, CancelAndTheCloseBoxLeaveThePortAlone) {
    open();
    click(dialog().ComPort[3]);
    click(dialog().Baud3);
    click(dialog().EvenParity);
    click(dialog().Data7);
    click(dialog().Stop2);
    click(dialog().BothFlow);
    dialog().CancelButton.onClick();
    EXPECT_FALSE(dialog().visible);
    open();
    bool keep = false;
    dialog().onCloseRequest(keep);
    EXPECT_TRUE(keep);
    EXPECT_FALSE(dialog().visible);
    EXPECT_EQ(rig.port.commPort(), 1);
    EXPECT_EQ(rig.port.settings(), "9600,n,8,1");
    EXPECT_EQ(rig.port.handshaking(), 0);
}

TEST_F(CommSettings, SwitchingAnOpenPortReopensTheNewOne) {
    rig.openPort();
    open();
    click(dialog().ComPort[3]);
    click(dialog().OddParity);
    ok();
    EXPECT_EQ(rig.port.commPort(), 3);
    EXPECT_TRUE(rig.port.portOpen());
    EXPECT_TRUE(rig.form1.MOpen.checked);
    EXPECT_EQ(rig.port.settings(), "9600,o,8,1");
}

TEST_F(CommSettings, SwitchingAnOpenPortGivesUpTheExchangeInFlightAndProbesTheNewDevice) {
    rig.connect();
    rig.form1.disableUpdates.checked = true;
    rig.forms.frmShowLog.txtShowLog.setText({});
    rig.sendCommand("*IDN?");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");

    open();
    click(dialog().ComPort[3]);
    ok();
    ASSERT_TRUE(rig.port.portOpen());
    // The command sent to the old device has its outcome, and Send is usable again.
    EXPECT_EQ(rig.log(), "\r\nSent: *IDN?\r\nreply: No response from unit");
    EXPECT_TRUE(rig.forms.frmShowLog.cmdSendSCPI.enabled);

    // Whatever the new device says first answers a probe, not the old command.
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "\r\n");
    rig.port.receive("0\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Communication re-established...");
    EXPECT_EQ(rig.log(), "\r\nSent: *IDN?\r\nreply: No response from unit");
    EXPECT_TRUE(rig.state.portIsOpen);
    EXPECT_TRUE(rig.form1.MOpen.checked);
}

TEST_F(CommSettings, AFailingReopenRestoresTheOldNumberWithThePortClosed) {
    rig.openPort();
    open();
    click(dialog().ComPort[2]);
    rig.port.failOpen = "COM2 (/dev/ttyS1) is in use by another program";
    ok();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "COM2 (/dev/ttyS1) is in use by another program");
    EXPECT_EQ(rig.port.commPort(), 1);
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_FALSE(rig.form1.MOpen.checked);
    EXPECT_FALSE(rig.state.portIsOpen);
    EXPECT_TRUE(dialog().visible);
}

TEST_F(CommSettings, AnEmptyFieldIsReportedByThePort) {
    rig.port.setSettings("14400,n,8,1");  // a rate with no button: nothing is selected for it
    open();
    EXPECT_EQ(rig.app->commSettings().pending().baud, "");
    ok();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("baud"), std::string::npos);
    EXPECT_TRUE(dialog().visible);
    EXPECT_EQ(rig.port.settings(), "14400,n,8,1");
}

TEST_F(CommSettings, ChangingOnlyTheParityKeepsThePortOpen) {
    rig.openPort();
    open();
    click(dialog().EvenParity);
    ok();
    EXPECT_TRUE(rig.port.portOpen());
    EXPECT_EQ(rig.port.settings(), "9600,e,8,1");
}

}  // namespace
}  // namespace kestrix
