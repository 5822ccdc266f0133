#pragma once

#include <memory>

#include "shared/controls.h"

namespace kestrix {

// The Firmware Download window.
struct FrmDownload : Window {
    FrmDownload();
    Label Label1{"Label1"};
    TextBox txtDownFile{"txtDownFile"};
    Button cmdGetDownFile{"cmdGetDownFile"};
    Button cmdDoDownload{"cmdDoDownload"};
    Button cmdStopDownload{"cmdStopDownload"};
    Button cmdCloseDownForm{"cmdCloseDownForm"};
    Label Label2{"Label2"};
    TextBox Text2{"Text2"};
    Label Label3{"Label3"};
    TextBox Text3{"Text3"};
    Label Label4{"Label4"};
    TextBox Text4{"Text4"};
    TextBox Text1{"Text1"};
    Timer Timer1;
};

// A small modal dialog of fixed texts and one or two buttons.
struct NoticeDialog : Window {
    NoticeDialog(std::string name, std::string caption, std::vector<std::string> texts);
    std::vector<std::unique_ptr<Label>> texts;
protected:
    void addButton(Button& button, const char* caption, int left, int width);
    int buttonTop = 0;
};

struct FrmEraseWarn : NoticeDialog {
    FrmEraseWarn();
    Button cmdReallyDownload{"cmdReallyDownload"};
    Button cmdDontDownload{"cmdDontDownload"};
};

struct FrmPortNotOpen : NoticeDialog {
    FrmPortNotOpen();
    Button Command1{"Command1"};
};

struct FrmEnterFile : NoticeDialog {
    FrmEnterFile();
    Button Command1{"Command1"};
};

struct FrmEchoKill2 : NoticeDialog {
    FrmEchoKill2();
    Button cmdOK{"cmdOK"};
};

struct FrmChangeBaud : NoticeDialog {
    FrmChangeBaud();
    Button cmdReallyDownload{"cmdReallyDownload"};
    Button cmdDontDownload{"cmdDontDownload"};
};

}  // namespace kestrix
