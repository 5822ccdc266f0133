#pragma once

#include <array>

#include "shared/controls.h"

namespace kestrix {

// The Communication Settings dialog.
struct ConfigScrn : Window {
    ConfigScrn();

    Frame fraComPort{"fraComPort"}, fraBaud{"fraBaud"}, fraParity{"fraParity"}, fraDataBits{"fraDataBits"},
        fraStopBits{"fraStopBits"}, fraFlow{"fraFlow"}, fraEcho{"fraEcho"};
    std::array<OptionButton, 5> ComPort{OptionButton{"ComPort(0)"}, OptionButton{"ComPort(1)"},
                                        OptionButton{"ComPort(2)"}, OptionButton{"ComPort(3)"},
                                        OptionButton{"ComPort(4)"}};  // elements 1 to 4 are used
    std::array<Label, 5> lblComPath{Label{"lblComPath(0)"}, Label{"lblComPath(1)"}, Label{"lblComPath(2)"},
                                    Label{"lblComPath(3)"}, Label{"lblComPath(4)"}};
    // The device or network address behind the selected port: a list of the serial devices
    // present (a path may also be typed), and a field for a network port.
    Label lblDevice{"lblDevice"};
    ComboBox cboDevice{"cboDevice"};
    Label lblNetAddress{"lblNetAddress"};
    TextBox txtNetAddress{"txtNetAddress"};
    OptionButton Baud3{"Baud3"}, Baud6{"Baud6"}, Baud12{"Baud12"}, Baud24{"Baud24"}, Baud48{"Baud48"}, Baud96{"Baud96"},
        Baud19dot2{"Baud19dot2"};
    OptionButton NoParity{"NoParity"}, OddParity{"OddParity"}, EvenParity{"EvenParity"}, optMarkParity{"optMarkParity"},
        optSpaceParity{"optSpaceParity"};
    OptionButton Data7{"Data7"}, Data8{"Data8"};
    OptionButton Stop1{"Stop1"}, Stop2{"Stop2"};
    OptionButton NoFlow{"NoFlow"}, XonFlow{"XonFlow"}, RTSFlow{"RTSFlow"}, BothFlow{"BothFlow"};
    OptionButton EchoOn{"EchoOn"}, EchoOff{"EchoOff"};
    // Shown instead of offering to set the line when the chosen port is a raw TCP one, whose line
    // is set at the far end.
    Label lblFarEnd{"lblFarEnd"};
    Button OKButton{"OKButton"};
    Button CancelButton{"CancelButton"};

    std::vector<OptionButton*> optionButtons();
    // The buttons that set the line: speed, parity, data bits, stop bits and flow control.
    std::vector<OptionButton*> lineButtons();
};

// The About box.
struct FrmAbout : Window {
    FrmAbout();
    Label Picture1{"Picture1"};  // the program's 32 by 32 icon
    Label lblAbout{"lblAbout"};
    Button cmdAbout{"cmdAbout"};
};

}  // namespace kestrix
