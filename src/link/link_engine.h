#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/alarm_decode.h"
#include "link/port_reopen.h"
#include "shared/controls.h"
#include "shared/prompt_matcher.h"
#include "shared/sample_requests.h"
#include "state/context.h"

namespace kestrix {
class ShownDataAge;
}

namespace kestrix {

// What an exchange (a command written, its prompt awaited) is for.
enum class ExchangeKind {
    Probe,            // "\r\n" while the link is being established, or the quiet wait after one
    ErrorRead,        // "syst:err?" after an error prompt
    ConnectionStep,   // the connection sequence's echo check or identification (connectStep)
    ViewPoll,         // the status screen's or the clock's poll
    PreparationStep,  // a step of the download preparation (prepStep)
    Command,          // a Control & Query command
    GroupQuery,       // one query of a status-register group (LinkState::queryGroup, queryIndex)
    TrendSample,      // a trend sample's query
};

// The exchange outstanding, with what its reply needs.
struct Exchange {
    ExchangeKind kind;
    int prepStep = 0;         // PreparationStep: the step whose command was sent
    bool statusView = false;  // ViewPoll: the status screen (else the clock)

    friend bool operator==(const Exchange&, const Exchange&) = default;
};

// The main window's own link variables (those shared with other windows are in LinkState).
//
// | Variable                   | Set by                                    | Cleared or reset by                      |
// |----------------------------|-------------------------------------------|------------------------------------------|
// | exchange                   | whatever writes a command and awaits its  | endExchange, for every kind              |
// |                            | prompt (awaitReply)                       |                                          |
// | commandOutstanding         | sending a Control & Query command or a    | its reply or error text taken; else      |
// |                            | group's query                             | endExchange ("No response from unit")    |
// | readErrorPending           | an error prompt                           | the error read going out; an abandoned   |
// |                            |                                           | exchange                                 |
// | replyText, replyReady      | an exchange for Control & Query ending:   | the reply's hand-over, on the next tick  |
// |                            | reply, error text, "No response from unit"| (reply_handover.cpp)                     |
// | timeoutSeconds             | each exchange started                     | never                                    |
// | tryingToEstablish          | a time-out, an abandoned exchange         | the quiet wait after a probe ended       |
// | reestablished              | a prompt answering a probe                | the quiet wait ended                     |
// | connectionStarted          | the first connection sequence             | never                                    |
// | modelIs73408K              | identification                            | start-up                                 |
// | customUpdateCommand        | start-up (the settings file)              | never                                    |
struct LinkVariables {
    std::optional<Exchange> exchange;  // the exchange outstanding, if any
    PromptMatcher matcher;             // its state is the prompt state, 3 to 15
    // A Control & Query command (or a group's query) is written and has no outcome yet: its
    // reply, its error text (it stays set across the error read) or "No response from unit".
    bool commandOutstanding = false;
    bool restartPending = true;     // the connection sequence starts at the next tick
    bool connecting = false;        // the connection sequence runs
    int connectStep = 1;            // 2 echo check, 3 identification
    bool readErrorPending = false;  // an error prompt arrived: "syst:err?" goes next
    long exchangeStart = 0;         // whole seconds since midnight: the wait began or input came
    std::string receiveText;        // one read's characters, or the terminal view's held text
    std::string replyBuffer;        // the reply being received, prompt included

    // A reply for Control & Query, from the exchange's end to its hand-over at the next tick.
    std::string replyText;
    bool replyReady = false;
    int timeoutSeconds = 6;  // the exchange outstanding fails after this much silence
    bool tryingToEstablish = true;
    bool reestablished = false;
    bool connectionStarted = false;
    bool modelIs73408K = false;                      // the model has the model-specific entries
    std::string customUpdateCommand = "ptim:tcod?";  // the custom update view's poll

    char lastChar = 0;             // the character being matched
    bool errorPromptSeen = false;  // the prompt just completed was an error prompt
    int echoState = 0;             // 1 when the receiver echoes what it is sent
    int echoSkipCount = 0;         // echo characters to drop from this reply
    int echoSkipped = 0;           // echo characters dropped so far
    int consecutiveErrors = 0;     // error prompts since the last good reply
    int timeoutCount = 0;          // time-outs since start-up
    std::string eventMessage;      // pending serial-event texts
    std::string errorMessage;
    std::string portLostReason;  // why the port went away; shown until it is opened again

    std::string fdupReply;    // whole reply to the last echo query
    std::string portReply;    // whole reply to "syst:comm?"
    bool useSerial2 = false;  // the receiver talks on its second serial port

    std::string demoScreen;  // the canned screen demo mode shows on its next tick

    AlarmQueryValues queryValues{};

    friend bool operator==(const LinkVariables&, const LinkVariables&) = default;
};

// A reply that grows past this without a prompt (a receiver streaming without end, or a wrong
// baud rate) fails its exchange the way a time-out does, so memory stays bounded.
inline constexpr std::size_t kMaxReplyLength = std::size_t{64} * 1024;

// How an exchange ended.
enum class ExchangeEnd {
    Answered,   // its prompt arrived and the reply has been acted on
    Failed,     // silence past timeoutSeconds, or a reply past kMaxReplyLength without a prompt
    Abandoned,  // the port closed or the link restarted under it
};

struct TickPacing;

// The main window's serial link: the tick of Timer1 with its state machine, reception and prompt
// matching, the connection and download-preparation sequences, the views, and the main window's
// commands. Where the members live:
//
//   link_engine.cpp     the tick's order of decisions; sending Control & Query commands and view
//                       polls; echo skipping
//   reception.cpp       reading and prompt matching, acting on a prompt by the exchange's kind,
//                       time-outs, probes, the error read, endExchange (the one end of every
//                       exchange), serial events
//   sequences.cpp       the connection sequence and the download preparation, with the choice
//                       each preparation dialog's answer leads to
//   reply_handover.cpp  replies for Control & Query into its log: the whole way of a reply
//   trend_requests.cpp  trend samples at idle ticks
//   tick_pacing.cpp     when the next tick is needed
//   views.cpp           the terminal tick, the demo tick and its canned status screen
//   main_commands.cpp   Port Open (and a port that changed state by itself), Copy, Help
//   port_reopen.cpp     reopening a port that went away, on the main window's reopen timer
class LinkEngine {
public:
    explicit LinkEngine(Context& context);
    ~LinkEngine();
    void wire();

    void tick();
    void setEchoSkip(const std::string& command);
    void restartPromptMatch();
    void onComm();

    // Main-window commands (wired with the main window's menus in program/menus.cpp).
    void portOpenClick();
    // Makes the link follow the port's real state after it was opened or closed: the shared flag,
    // the check mark of "Port Open" and, for a closed port, plain captions, the exchange in
    // progress abandoned and a connection sequence to run when it opens again.
    void portStateChanged();
    void copyToClipboardClick();
    void helpClick();

    // A port that goes away by itself is reopened as soon as it is back ("Reopen" in the settings
    // file's "Ports" section; set at start-up).
    bool reopenLostPort = true;
    // The port went away and the reopen timer tries to open it again.
    bool waitingToReopen() const;

    // Shows the Communication Settings dialog modally (step 0 of the download preparation).
    std::function<void()> showCommSettingsModal;
    // Whether the download window's Download was pressed and its transfer has not yet taken it up
    // (the download's own variable); a lost port is not reopened meanwhile. None: never.
    std::function<bool()> downloadStarting;

    // The trend window's sampling (or the monitor's readings), served at idle ticks
    // (trend_requests.cpp); none when null.
    SampleRequests* trendSampler = nullptr;
    // The main window's view is polled when the link has nothing else to do. A program without
    // windows clears it: its link stays quiet between the queries it is given.
    bool pollsView = true;
    // Told of every exchange that ended with its prompt or failed (not one abandoned), and whether
    // the prompt was an error prompt, for a program that counts them.
    std::function<void(ExchangeEnd how, bool errorPrompt)> onExchangeEnd;
    // Told of each view's polls and replies and of the port closing (shown_data_age.h); none when null.
    ShownDataAge* shownAge = nullptr;

    // When Timer1's next tick is needed, and whether the last one did anything (tick_pacing.cpp).
    TickDemand nextTickDue();
    // Ticks of Timer1 that found nothing to do.
    std::uint64_t idleTicks() const;

    // For tests that inspect what no input or output reveals.
    LinkVariables& vars() { return v_; }
    const LinkVariables& vars() const { return v_; }

private:
    // The scheduler (link_engine.cpp).
    long now() const;
    bool write(const std::string& command);
    void writeLine(const std::string& command) { write(command + "\r\n"); }
    void sendControlQueryCommand();
    void pollCurrentView();
    void pollWith(const std::string& command, bool status, const char* label, int timeout);
    void awaitReply(Exchange exchange);

    // Reception and matching (reception.cpp).
    void receiveStep();
    bool matchReceivedText();
    bool takeUnmatchedRun(std::size_t& taken);
    void actOnPrompt();
    void takeErrorPrompt();
    void takeErrorText();
    void takeCommandReply();
    void pollReply(bool statusView);
    void checkTimeout();
    void failExchange(long now);
    void abandonExchange();
    void endExchange(ExchangeEnd how);
    void writeTimeoutLine();
    void probe();
    void readError();
    void showConsecutiveErrorWarning();
    std::string replyWithoutPrompt() const;
    void resetCaptions();

    // Connection and download preparation (sequences.cpp).
    void connectionSend();
    void connectionReply();
    void prepSend();
    void prepReply(int step);
    std::string serialPrefix() const;

    // Control & Query hand-over (reply_handover.cpp).
    void giveReply(std::string text);
    void handOverReply();
    void logGroupResult();
    void endQueryGroup();
    void endControlQueryRequest();
    void answerWithoutReply();

    // Trend samples (trend_requests.cpp).
    bool trendSampleDue();
    bool trendLetsViewPoll();
    void sendTrendSample();
    void takeTrendReply();
    void endTrendSample();

    // Views (views.cpp).
    void terminalTick();
    void demoTick();

    // Pacing of the ticks (tick_pacing.cpp).
    void noteTickStart();

    // Reopening a port that went away (port_reopen.cpp).
    void beginReopening();
    void stopReopening();
    void reopenTick();
    TickDemand nextReopenDue();
    bool downloadStartPending() const;

    Context& ctx_;
    LinkVariables v_;
    std::unique_ptr<TickPacing> pacing_;
    ReopenSchedule reopen_;
    bool reopenOpened_ = false;  // the last reopen tick opened the port
};

}  // namespace kestrix
