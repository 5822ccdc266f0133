#include "state/config_forms.h"

#include <string>

namespace kestrix {

namespace {

struct Column {
    Window& window;
    int left, top, width;
    int next;

    void frame(Frame& f, const char* caption, int rows) {
        f.caption = caption;
        f.geometry = {left, top, width, 300 + rows * 300};
        next = top + 300;
        top += 300 + rows * 300 + 120;
        window.controls.push_back(&f);
    }
    void option(OptionButton& b, const char* caption, const char* group, int indent = 0) {
        b.caption = caption;
        b.group = group;
        b.geometry = {left + 120 + indent, next, width - 240 - indent, 270};
        next += 300;
        window.controls.push_back(&b);
    }
};

}  // namespace

ConfigScrn::ConfigScrn() : Window("ConfigScrn", "Communication Settings") {
    dialog = true;
    geometry = {4000, 2000, 6900, 7360};

    // The ports across the whole dialog, so that long device paths (those under
    // /dev/serial/by-id) have room beside their buttons; below them three columns.
    Column ports{*this, 120, 120, 6480, 0};
    ports.frame(fraComPort, "&Com Port", 4);
    for (int i = 1; i <= 4; ++i) {
        const int row = ports.next;
        ports.option(ComPort[i], ("Com" + std::to_string(i)).c_str(), "port");
        ComPort[i].geometry.width = 800;
        lblComPath[i].geometry = {ports.left + 960, row + 45, ports.width - 1020, 240};
        lblComPath[i].font = {"Arial", 7.0f, false, false};
        lblComPath[i].elideInTheMiddle = true;
        controls.push_back(&lblComPath[i]);
    }

    // Below them, the device or network address of the selected port.
    const int deviceRow = ports.top;
    lblDevice.caption = "Device:";
    lblDevice.geometry = {240, deviceRow + 45, 1020, 240};
    cboDevice.geometry = {1320, deviceRow, 5280, 315};
    lblNetAddress.caption = "Network address:";
    lblNetAddress.geometry = {240, deviceRow + 465, 1020, 240};
    txtNetAddress.geometry = {1320, deviceRow + 420, 5280, 300};
    controls.insert(controls.end(), {&lblDevice, &cboDevice, &lblNetAddress, &txtNetAddress});
    ports.top += 840;

    Column first{*this, 120, ports.top, 2160, 0};
    first.frame(fraParity, "&Parity", 5);
    first.option(NoParity, "None", "parity");
    first.option(OddParity, "Odd", "parity");
    first.option(EvenParity, "Even", "parity");
    first.option(optMarkParity, "Mark", "parity");
    first.option(optSpaceParity, "Space", "parity");

    Column second{*this, 2400, ports.top, 2040, 0};
    second.frame(fraBaud, "&Baud Rate", 7);
    second.option(Baud3, "300", "baud");
    second.option(Baud6, "600", "baud");
    second.option(Baud12, "1200", "baud");
    second.option(Baud24, "2400", "baud");
    second.option(Baud48, "4800", "baud");
    second.option(Baud96, "9600", "baud");
    second.option(Baud19dot2, "19200", "baud");
    second.frame(fraEcho, "&Echo", 2);
    second.option(EchoOn, "On", "echo");
    second.option(EchoOff, "Off", "echo");

    Column third{*this, 4560, ports.top, 2040, 0};
    third.frame(fraDataBits, "&Data Bits", 2);
    third.option(Data7, "7", "data");
    third.option(Data8, "8", "data");
    third.frame(fraStopBits, "&Stop Bits", 2);
    third.option(Stop1, "1", "stop");
    third.option(Stop2, "2", "stop");
    third.frame(fraFlow, "&Flow Control", 4);
    third.option(NoFlow, "None", "flow");
    third.option(XonFlow, "Xon/Xoff", "flow");
    third.option(RTSFlow, "RTS", "flow");
    third.option(BothFlow, "Xon/RTS", "flow");

    lblFarEnd.geometry = {120, third.top + 60, 3360, 540};
    lblFarEnd.wordWrap = true;
    lblFarEnd.visible = false;
    controls.push_back(&lblFarEnd);

    OKButton.caption = "OK";
    OKButton.geometry = {3600, third.top + 170, 1300, 420};
    CancelButton.caption = "Cancel";
    CancelButton.geometry = {5100, third.top + 170, 1300, 420};
    controls.push_back(&OKButton);
    controls.push_back(&CancelButton);
    defaultButton = &OKButton;
    cancelButton = &CancelButton;
}

std::vector<OptionButton*> ConfigScrn::optionButtons() {
    std::vector<OptionButton*> all;
    for (Control* c : controls)
        if (c->kind() == ControlKind::OptionButton) all.push_back(static_cast<OptionButton*>(c));
    return all;
}

std::vector<OptionButton*> ConfigScrn::lineButtons() {
    std::vector<OptionButton*> line;
    for (OptionButton* b : optionButtons())
        if (b->group != "port" && b->group != "echo") line.push_back(b);
    return line;
}

FrmAbout::FrmAbout() : Window("frmAbout", "About Kestrix") {
    dialog = true;
    geometry = {4000, 3000, 5400, 2600};
    Picture1.geometry = {240, 240, 480, 480};
    Picture1.showsProgramIcon = true;
    lblAbout.wordWrap = true;
    lblAbout.geometry = {960, 240, 4200, 1300};
    cmdAbout.caption = "OK";
    cmdAbout.geometry = {2100, 1700, 1200, 420};
    controls = {&Picture1, &lblAbout, &cmdAbout};
    defaultButton = cancelButton = &cmdAbout;
}

}  // namespace kestrix
