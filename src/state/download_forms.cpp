#include "state/download_forms.h"

namespace kestrix {

namespace {
void place(Control& control, Rect where) { control.geometry = where; }
void label(Label& l, const char* caption, Rect where) {
    l.caption = caption;
    l.geometry = where;
}
void button(Button& b, const char* caption, Rect where) {
    b.caption = caption;
    b.geometry = where;
}
}  // namespace

FrmDownload::FrmDownload() : Window("frmDownload", "Firmware Download") {
    geometry = {2000, 2000, 9000, 3200};
    label(Label1, "File to Download:", {330, 120, 3750, 255});
    place(txtDownFile, {315, 375, 5580, 345});
    button(cmdGetDownFile, "File...", {315, 840, 810, 450});
    button(cmdDoDownload, "Download", {1248, 852, 1095, 435});
    button(cmdStopDownload, "Stop Download", {2445, 855, 1575, 420});
    cmdStopDownload.visible = false;
    button(cmdCloseDownForm, "Close", {4110, 855, 855, 420});
    label(Label2, "Lines Sent", {6900, 150, 990, 240});
    place(Text2, {7860, 90, 870, 315});
    label(Label3, "Lines Retried", {6675, 510, 1245, 315});
    place(Text3, {7875, 465, 855, 315});
    label(Label4, "Minutes Until Finished", {6105, 930, 1935, 285});
    place(Text4, {8040, 885, 675, 330});
    Label4.visible = false;
    Text4.visible = false;
    place(Text1, {270, 1410, 8445, 390});
    Text1.font = {"Courier New", 6.75f, false, true};
    Text1.readOnly = true;
    Text2.readOnly = true;
    Text3.readOnly = true;
    Text4.readOnly = true;
    place(prgRecords, {270, 1890, 8445, 240});
    prgRecords.maximum = 1;
    place(lblOutcome, {270, 2190, 8445, 540});
    lblOutcome.wordWrap = true;
    controls = {&Label1,           &txtDownFile, &cmdGetDownFile, &cmdDoDownload, &cmdStopDownload,
                &cmdCloseDownForm, &Label2,      &Text2,          &Label3,        &Text3,
                &Label4,           &Text4,       &Text1,          &prgRecords,    &lblOutcome};
    Timer1.intervalMs = 1;
    Timer1.enabled = false;
    timers = {&Timer1};
}

NoticeDialog::NoticeDialog(std::string name, std::string caption, std::vector<std::string> lines)
    : Window(std::move(name), std::move(caption)) {
    dialog = true;
    int top = 240;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto text = std::make_unique<Label>("Label" + std::to_string(i + 1));
        text->caption = lines[i];
        text->wordWrap = true;
        text->centered = true;
        text->font = {"MS Sans Serif", 8.25f, false, true};
        // A line of bold 8.25-point text across 5400 twips holds about 50 characters: a longer text
        // gets the room of two lines.
        const int height = lines[i].size() > 45 ? 500 : 300;
        text->geometry = {240, top, 5400, height};
        top += height + 60;
        controls.push_back(text.get());
        texts.push_back(std::move(text));
    }
    buttonTop = top + 180;
    geometry = {4000, 3000, 6000, buttonTop + 900};
}

void NoticeDialog::addButton(Button& b, const char* caption, int left, int width) {
    button(b, caption, {left, buttonTop, width, 450});
    controls.push_back(&b);
}

FrmEraseWarn::FrmEraseWarn()
    : NoticeDialog("frmEraseWarn", "Erasure Warning",
                   {"The product firmware is about to be erased.", "Do you really want to do this?"}) {
    addButton(cmdReallyDownload, "Yes, Perform the Download", 600, 2700);
    addButton(cmdDontDownload, "No", 3600, 1500);
    defaultButton = cancelButton = &cmdDontDownload;  // erasing takes a deliberate choice
}

FrmPortNotOpen::FrmPortNotOpen()
    : NoticeDialog("frmPortNotOpen", "Port Isn't Open",
                   {"You need to enable the CommPort before", "the download can proceed"}) {
    addButton(Command1, "OK", 2300, 1200);
    defaultButton = cancelButton = &Command1;
}

FrmEnterFile::FrmEnterFile()
    : NoticeDialog("frmEnterFile", "Enter Download File Name", {"Use \"File...\" button to enter file name"}) {
    addButton(Command1, "OK", 2300, 1200);
    defaultButton = cancelButton = &Command1;
}

FrmEchoKill2::FrmEchoKill2()
    : NoticeDialog("FrmEchoKill2", "Echo Will Be Turned Off",
                   {"The echo feature is currently enabled, but needs to be disabled to continue with the "
                    "download."}) {
    addButton(cmdOK, "OK", 2300, 1200);
    defaultButton = cancelButton = &cmdOK;
}

FrmChangeBaud::FrmChangeBaud()
    : NoticeDialog("FrmChangeBaud", "Change Baud?",
                   {"The Baud rate isn't 19200, which is best for a fast download", "Change the Baud to 19200?"}) {
    addButton(cmdReallyDownload, "Yes, Set Baud to 19200", 600, 2700);
    addButton(cmdDontDownload, "No, leave as is", 3600, 1800);
    defaultButton = &cmdReallyDownload;
    cancelButton = &cmdDontDownload;
}

}  // namespace kestrix
