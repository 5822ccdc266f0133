#pragma once

// The firmware download: the Firmware Download window's buttons and dialogs
// (download_window.cpp) and the transfer its timer drives once the main window's preparation
// has erased the flash (firmware_transfer.cpp).
//
// Hand-over with the main window's link (see LinkState): the window sets downloadStartRequest
// (TransferVariables); the first tick of this timer sets downloadPrep and prepStep, and the main timer's preparation
// runs until it sets readyToDownload and stops the main timer. From then on this timer alone
// uses the serial line, with a prompt matcher of its own, until the transfer completes (the
// main timer runs again) or ends early.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "download/transfer_pacing.h"
#include "shared/controls.h"
#include "shared/prompt_matcher.h"
#include "state/context.h"

namespace kestrix {

// One of the two packets in flight: up to downloadBurst "diag:down" lines written at once.
struct Packet {
    enum State { toFill = 1, toResend = 2, written = 3, finished = 4 };
    int state = toFill;
    std::string text;  // the command lines exactly as written
    long records = 0;  // lines in it: the prompts that acknowledge it
};

// The transfer's own variables (those shared with other windows are in LinkState).
struct TransferVariables {
    // 1 fill and send packets (or finish), 2 and 3 counting the replies of packet 1 or 2,
    // 4 waiting for the prompt that answers "*cls", 5 letting the lines in flight be answered
    // before "*cls" goes out.
    int transferStep = 1;
    std::array<Packet, 2> packets;
    std::vector<std::string> records;  // the checked file, in file order
    std::size_t nextRecord = 0;
    bool fileExhausted = false;
    double minutesPerRecord = 0;
    float sampleTime = 0;  // single-precision seconds since midnight
    long recordsSinceSample = 0;
    float lastActivityTime = 0;  // when input last arrived or a packet was last written
    int awaitedPacket = 1;
    int otherPacket = 2;
    long promptCount = 0;
    PromptMatcher matcher;  // survives between reads
    bool awaitedPacketDone = false;
    bool otherPacketDone = false;
    bool errorReplySeen = false;
    long linesInFlight = 0;         // lines written and not yet answered by any prompt
    int silentTimeouts = 0;         // time-outs in a row with no input between them
    bool flashMayBeErased = false;  // the preparation reached the erasure
    // A download ended early with lines possibly still on their way: the next one waits for
    // the line to go quiet before its preparation starts.
    bool lineMayBeBusy = false;
    bool settling = false;
    float quietSince = 0;
    unsigned long portLossesAtStart = 0;  // LinkState::portLosses when this download started

    // Set by the window's Download (the erasure confirmed), cleared by the first tick of its timer.
    bool downloadStartRequest = false;
    std::string downloadFileName;  // the file chosen, as checked when Download was pressed
    long linesSent = 0;            // records written in this download
    long linesRetried = 0;         // records written again after an error reply
    std::string currentRecord;     // the last record put in a packet
};

class FirmwareDownload {
public:
    explicit FirmwareDownload(Context& context);
    // Connects the window's buttons and timer, its dialogs and the Service menu's entry.
    void wire();

    // download_window.cpp: the window's actions.
    void openWindow();           // "&Download Firmware..." on the Control & Query window
    void chooseFileClick();      // "File..."
    void downloadClick();        // "Download"
    void confirmErasureClick();  // "Yes, Perform the Download"
    void stopClick();            // "Stop Download"
    void closeClick();           // "Close"
    void closeRequest(bool& cancel);

    // firmware_transfer.cpp: the tick of the window's timer.
    void tick();
    // transfer_pacing.cpp: when the timer's next tick is needed.
    void noteTickStart();
    TickDemand nextTickDue();
    // Ticks that found nothing to do.
    std::uint64_t idleTicks() const { return pacing_.idleTicks; }

    TransferVariables& vars() { return v_; }
    const TransferVariables& vars() const { return v_; }

private:
    // download_window.cpp
    bool checkChosenFile();
    void showIdleButtons();
    void showRunningButtons();
    void endEarly(const std::string& why);
    void refuseFile(const std::string& why);

    // firmware_transfer.cpp
    float now() const;
    float secondsSince(float then) const;
    void startDownload();
    void settleTick();
    void transferTick();
    void countReplies(int awaited);
    void sendPacket(int p);
    bool writePacket(int p);
    void awaitPacket(int p);
    void readReplies();
    void onPrompt(PromptMatcher::Result result, bool& draining, bool& firstPacketCounted);
    void takeErrorPath();
    void drainTick();
    void checkReplyTimeout();
    void sampleRate();
    void showProgress();
    void complete();
    void keepRunningButtons();
    bool write(const std::string& bytes);
    void beepThreeTimes();

    double untilSilenceExceeds(float then, float limit) const;

    void beginPreparation();
    void sendClearWhenDrained();
    void endAutomatically(const std::string& why);

    Context& ctx_;
    TransferVariables v_;
    std::vector<std::string> checkedRecords_;  // the file as checked when Download was pressed
    long totalRecords_ = 0;
    TransferPacing pacing_;
};

// A number as the minutes box shows it: one decimal, no leading zero before the point and no
// trailing zero after it, the point always shown (12.34 gives "12.3", 12.02 "12.", 0.46 ".5").
std::string minutesText(double minutes);

}  // namespace kestrix
