#pragma once

// A program on test doubles with a firmware file in place, and the steps that bring a download
// to the point where records flow: the file chosen, the erasure confirmed, the preparation
// answered by a small scripted receiver.

#include <cstdio>
#include <string>
#include <vector>

#include "download/firmware_download.h"
#include "support/rig.h"

namespace kestrix::testing {

inline std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

// An S1 data record of 16 bytes at `address`, or a record of another type without data.
inline std::string sRecord(char type, unsigned address, int dataBytes = 16) {
    std::vector<unsigned> bytes{static_cast<unsigned>(2 + dataBytes + 1), (address >> 8) & 0xFFu, address & 0xFFu};
    for (int i = 0; i < dataBytes; ++i) bytes.push_back((address + static_cast<unsigned>(i) * 7) & 0xFFu);
    unsigned sum = 0;
    std::string text = std::string("S") + type;
    for (unsigned b : bytes) {
        sum += b;
        text += hexByte(b);
    }
    return text + hexByte(~sum);
}

// `count` data records between a header and a start record.
inline std::vector<std::string> firmware(int count) {
    std::vector<std::string> records{sRecord('0', 0, 4)};
    for (int i = 0; i < count; ++i) records.push_back(sRecord('1', static_cast<unsigned>(i) * 16));
    records.push_back(sRecord('9', 0, 0));
    return records;
}

inline std::string fileOf(const std::vector<std::string>& records, const std::string& lineEnd = "\r\n") {
    std::string text;
    for (const auto& r : records) text += r + lineEnd;
    return text;
}

inline std::string downLine(const std::string& record) { return "diag:down \"" + record + "\"\r\n"; }

// The lines of the packet of `count` records from `first` on, as the transfer writes them.
inline std::string packetOf(const std::vector<std::string>& records, std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; i < first + count && i < records.size(); ++i) text += downLine(records[i]);
    return text;
}

inline std::string prompts(int n, const std::string& prompt = "scpi > ") {
    std::string text;
    for (int i = 0; i < n; ++i) text += prompt;
    return text;
}

struct DownloadRig : Rig {
    FrmDownload& window = forms.frmDownload;
    FirmwareDownload& download = app->download();
    platform::FakeFiles& files = fakes.files;
    const std::string path = "/firmware/k73408k_4_10.s";

    DownloadRig() {
        dialogs.modalActions["frmEraseWarn"] = [](Window& w) {
            static_cast<FrmEraseWarn&>(w).cmdReallyDownload.onClick();
        };
    }

    void downloadTick() { window.Timer1.fire(); }
    void downloadTicks(int n) {
        for (int i = 0; i < n; ++i) downloadTick();
    }

    // Chooses the file in the window and confirms the erasure.
    void requestDownload(const std::string& contents) {
        files.contents[path] = contents;
        window.txtDownFile.setText(path);
        window.cmdDoDownload.onClick();
    }

    // Answers the main window's preparation as a receiver on serial 1 with echo off at 19200
    // baud, until the flash is erased, or until it sends `unansweredCommand`, whose reply is
    // left outstanding. The packet size follows the port's own speed.
    void answerPreparation(const std::string& unansweredCommand = {}) {
        for (int i = 0; i < 40 && !state.readyToDownload; ++i) {
            downloadTick();
            tick();
            const std::string sent = port.takeWritten();
            if (sent.empty()) continue;
            if (!unansweredCommand.empty() && sent.find(unansweredCommand) != std::string::npos) return;
            std::string reply;
            if (sent.find("syst:comm?") != std::string::npos) reply = "1\r\n";
            else if (sent.find("fdup?") != std::string::npos) reply = "0\r\n";
            else if (sent.find("baud?") != std::string::npos) reply = "19200\r\n";
            port.receive(reply + "scpi > ");
        }
        tick();
    }

    // Connected at `settings`, the records chosen and confirmed, the preparation done: the next
    // tick of the download timer writes the first packets.
    void readyWith(const std::vector<std::string>& records, const std::string& settings = "19200,n,8,1") {
        port.setSettings(settings);
        connect();
        requestDownload(fileOf(records));
        answerPreparation();
        port.takeWritten();
    }

    std::vector<std::string> writes() {
        auto out = port.writes;
        port.takeWritten();
        return out;
    }
};

}  // namespace kestrix::testing
