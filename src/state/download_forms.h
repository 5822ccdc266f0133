#pragma once

#include <memory>

#include "shared/controls.h"

namespace kestrix {

// The Firmware Download window.
struct FrmDownload : Window {
    FrmDownload();
    Label Label1{"Label1"};                       // "File to Download:"
    TextBox txtDownFile{"txtDownFile"};           // the path of the chosen file, editable
    Button cmdGetDownFile{"cmdGetDownFile"};      // "File..."
    Button cmdDoDownload{"cmdDoDownload"};        // "Download"
    Button cmdStopDownload{"cmdStopDownload"};    // "Stop Download", shown while a download runs
    Button cmdCloseDownForm{"cmdCloseDownForm"};  // "Close"
    Label Label2{"Label2"};                       // "Lines Sent"
    TextBox Text2{"Text2"};                       // records sent for the first time
    Label Label3{"Label3"};                       // "Lines Retried"
    TextBox Text3{"Text3"};                       // packets sent again
    Label Label4{"Label4"};                       // "Minutes Until Finished"
    TextBox Text4{"Text4"};                       // the estimate of minutes left, or "DONE"
    TextBox Text1{"Text1"};                       // the record last taken from the file
    ProgressBar prgRecords{"prgRecords"};         // records sent against records in the file
    Label lblOutcome{"lblOutcome"};               // how the last download ended and what to do next
    Timer Timer1;                                 // the transfer's own timer
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
