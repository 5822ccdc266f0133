#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/alarm_decode.h"
#include "link/prompt_matcher.h"
#include "shared/context.h"

namespace kestrix {

// The main window's own link variables (those shared with other windows are in LinkState).
struct LinkVariables {
    bool waitingForReply = false;
    PromptMatcher matcher;               // its state is the prompt state, 3 to 15
    bool pollOutstanding = false;
    bool commandOutstanding = false;
    bool restartPending = true;
    bool connecting = false;
    int connectStep = 1;
    bool errorReadOutstanding = false;
    bool readErrorPending = false;
    bool statusRequested = false;
    long exchangeStart = 0;              // whole seconds since midnight
    std::string receiveText;
    std::string replyBuffer;

    char lastChar = 0;
    bool errorPromptSeen = false;
    int echoState = 0;
    int echoSkipCount = 0;
    int echoSkipped = 0;
    int consecutiveErrors = 0;
    int timeoutCount = 0;
    std::string eventMessage;
    std::string errorMessage;

    std::string fdupReply;
    std::string portReply;
    bool useSerial2 = false;

    AlarmQueryValues queryValues{};

    friend bool operator==(const LinkVariables&, const LinkVariables&) = default;
};

// A reply that grows past this without a prompt (a receiver streaming without end, or a wrong
// baud rate) fails its exchange the way a time-out does, so memory stays bounded.
inline constexpr std::size_t kMaxReplyLength = 64 * 1024;

struct TickPacing;

// The main window's serial link: the tick of Timer1 with its state machine, reception and prompt
// matching, the connection and download-preparation sequences, the views, and the main window's
// commands.
class LinkEngine {
public:
    explicit LinkEngine(Context& context);
    ~LinkEngine();
    void wire();

    void tick();
    void setEchoSkip(const std::string& command);
    void restartPromptMatch();
    void onComm();

    // Main-window commands.
    void portOpenClick();
    // Makes the link follow the port's real state after it was opened or closed: the shared flag,
    // the check mark of "Port Open" and, for a closed port, plain captions and a connection
    // sequence to run when it opens again.
    void portStateChanged();
    void copyToClipboardClick();
    void helpClick();

    // Shows the Communication Settings dialog modally (step 0 of the download preparation).
    std::function<void()> showCommSettingsModal;

    // When Timer1's next tick is needed, and whether the last one did anything (tick_pacing.cpp).
    TickDemand nextTickDue();
    // Ticks of Timer1 that found nothing to do.
    std::uint64_t idleTicks() const;

    LinkVariables& vars() { return v_; }
    const LinkVariables& vars() const { return v_; }

private:
    // The scheduler.
    long now() const;
    bool write(const std::string& command);
    void writeLine(const std::string& command) { write(command + "\r\n"); }
    void sendControlQueryCommand();
    void pollCurrentView();
    void pollWith(const std::string& command, bool status, const char* label, int timeout);
    void awaitReply();

    // Reception and matching.
    void receiveStep();
    void matchReceivedText();
    void actOnPrompt();
    void pollReply();
    void checkTimeout();
    void failExchange(long now);
    void writeTimeoutLine();
    void probe();
    void readError();
    void showConsecutiveErrorWarning();
    std::string replyWithoutPrompt() const;
    void resetCaptions();

    // Connection and download preparation.
    void connectionSend();
    void connectionReply();
    void prepSend();
    void prepReply();
    std::string serialPrefix() const;

    // Control & Query hand-over.
    void handOverReply();

    // Views.
    void terminalTick();
    void demoTick();

    // Pacing of the ticks (tick_pacing.cpp).
    void noteTickStart();

    Context& ctx_;
    LinkVariables v_;
    std::unique_ptr<TickPacing> pacing_;
};

}  // namespace kestrix

namespace kestrix {
// The canned status screen of demo mode for a given time and date.
std::string cannedStatusScreen(const platform::DateTime& now);
}  // namespace kestrix
