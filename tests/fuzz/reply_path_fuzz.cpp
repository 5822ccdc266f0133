// The link's reply path under arbitrary input: bytes arriving in any splits, clock steps, ticks,
// Control & Query commands, view switches and terminal keys, starting from each state the link
// reaches (probing, connecting, polling each view, a command outstanding, a query group
// running, download preparation, terminal view, echo on). Only the program's public inputs are
// driven: the fake serial port, the fake clock, the main timer, menu entries and the
// Control & Query window's send handler.
//
// Invariants checked after every step, beyond "no crash":
//   - memory stays bounded: the status view, the clock, a command's reply and the terminal text
//     never grow past their limits however many bytes arrive without a prompt;
//   - nothing is written to the line while a reply is awaited: between two writes of the link
//     either a prompt arrived or the shortest time-out passed;
//   - the link never stays stuck: after the input, a prompt and at most 20 s of silence, a new
//     command from Control & Query reaches the line;
//   - every command sent from Control & Query gets an outcome in the log, and "Send Cmd" is
//     enabled again once nothing is pending.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/main_window.h"
#include "console/control_query.h"
#include "fuzz_support.h"
#include "link/link_engine.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "program/kestrix.h"
#include "shared/query_groups.h"
#include "windows/terminal_window.h"

namespace kestrix {
namespace {

// Shortest time a link waits for a reply before it may write again (the probe's).
constexpr double kShortestTimeOut = 2.0;
constexpr std::size_t kMaxLog = 4u << 20;
constexpr std::size_t kFlood = kMaxReplyLength + 4096;

const char* const kCommands[] = {"*idn?", ":syst:prin?",           ":ptim:str?", "syst:err?",
                                 "*opc?", ":GPS:SAT:TRAC:EMAN 20", "diag:eras",  "syst:comm?"};

using fuzz::fail;
using fuzz::Input;
using fuzz::require;

// The program on test doubles, made once; each input starts it afresh from the same state.
struct Harness {
    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::Platform platform = fakes.platformWith(port);
    std::unique_ptr<Kestrix> app;

    // The write watch.
    std::size_t writesSeen = 0;
    bool awaiting = false;        // the link wrote and no prompt has arrived since
    double lastWriteAt = 0;       // on the elapsed clock
    double elapsed = 0;           // seconds since the input began, never wrapping at midnight
    std::string tail;             // the last bytes received, for a prompt split across arrivals
    std::size_t sinceWrite = 0;   // bytes received since the link's last write
    std::string lastLine;         // the link's last write
    std::size_t mostPending = 0;  // the most bytes the port held unread
    bool flooded = false;
    int commandsSent = 0;
    // With KESTRIX_FUZZ_TRACE set, every arrival and write is printed, to read a finding.
    const bool trace = std::getenv("KESTRIX_FUZZ_TRACE") != nullptr;

    void reset() {
        port = platform::FakeSerialPort{};
        fakes.clock.seconds = 12 * 3600;
        fakes.profile.text.clear();
        fakes.dialogs = platform::FakeDialogs{};
        app = std::make_unique<Kestrix>(platform);
        writesSeen = 0;
        awaiting = false;
        lastWriteAt = 0;
        elapsed = 0;
        tail.clear();
        sinceWrite = 0;
        lastLine.clear();
        mostPending = 0;
        flooded = false;
        commandsSent = 0;
    }

    Form1& form1() { return app->forms.form1; }
    FrmShowLog& log() { return app->forms.frmShowLog; }

    static bool holdsPrompt(const std::string& text) {
        if (text.find("scpi > ") != std::string::npos) return true;
        for (std::size_t i = text.find("E-"); i != std::string::npos; i = text.find("E-", i + 1))
            if (i + 6 < text.size() + 1 && text.compare(i + 5, 2, "> ") == 0) return true;
        return false;
    }

    void receive(const std::string& bytes) {
        if (trace) std::fprintf(stderr, "%7.1f < %zu bytes\n", elapsed, bytes.size());
        port.receive(bytes);
        mostPending = std::max(mostPending, port.inBuffer.size());
        // A flood is one byte repeated: only its end can complete a prompt begun before it.
        tail += bytes.size() > kMaxReplyLength ? bytes.substr(bytes.size() - 8) : bytes;
        sinceWrite += bytes.size();
        // A prompt ends the exchange; so does a reply too long to hold, which the link gives up.
        if (holdsPrompt(tail) || sinceWrite > kMaxReplyLength) awaiting = false;
        if (tail.size() > 8) tail.erase(0, tail.size() - 8);
    }

    // Writes the link made since the last look (not those of a user's action).
    void watchWrites() {
        for (; writesSeen < port.writes.size(); ++writesSeen) {
            if (trace)
                std::fprintf(stderr, "%7.1f > %s  [%s]\n", elapsed, port.writes[writesSeen].c_str(),
                             form1().Label1.caption.c_str());
            const std::string& line = port.writes[writesSeen];
            // A probe does not start its exchange's clock: the link's rule is that probes go out
            // every time more than 2 s have passed since the time-out that started the probing,
            // so the very first probe after start-up times out at once and the next follows it.
            const bool prematureProbe = line == "\r\n" && lastLine == "\r\n";
            if (awaiting && elapsed - lastWriteAt < kShortestTimeOut && !prematureProbe)
                fail("written while a reply is awaited");
            lastLine = line;
            awaiting = true;
            lastWriteAt = elapsed;
            sinceWrite = 0;
            tail.clear();
        }
    }
    void skipUserWrites() { writesSeen = port.writes.size(); }

    // A reply is held up to its limit plus what one read of the port brings (the fake port hands
    // over all it holds).
    void checkBounds() {
        const std::size_t kBound = kMaxReplyLength + mostPending;
        require(form1().Term.text().size() <= kBound, "status view beyond its bound");
        require(app->forms.frmClock.lblClock.caption.size() <= kBound, "clock beyond its bound");
        require(app->link().vars().replyText.size() <= kBound, "reply beyond its bound");
        const TextBox& terminal = app->forms.frmTerminal.txtTerminal;
        require(terminal.maxLength == 0 || terminal.text().size() <= terminal.maxLength,
                "terminal text beyond its bound");
        require(log().txtShowLog.text().size() <= kMaxLog, "log grows without bound");
    }

    void tick() {
        form1().Timer1.fire();
        watchWrites();
        checkBounds();
    }
    void advance(double seconds) {
        fakes.clock.advance(seconds);
        elapsed += seconds;
    }

    void sendFromControlQuery(const std::string& command) {
        FrmShowLog& window = log();
        if (!window.cmdSendSCPI.enabled) return;
        window.cmbSendSCPI.text = command;
        const std::size_t logBefore = window.txtShowLog.text().size();
        const bool queues = app->state.portIsOpen && !form1().funcTermEmul.checked;
        window.cmdSendSCPI.onClick();
        // The window logs a command it queues for the link ("Send Cmd" refuses one while another
        // is queued); in the terminal view the command goes to the line at once.
        const std::string& text = window.txtShowLog.text();
        const std::string entry = "\r\nSent: " + command;
        if (queues && text.size() > logBefore && text.ends_with(entry)) ++commandsSent;
        if (!queues) skipUserWrites();
    }

    // Opens the port and answers the probe: after the quiet wait the echo check is sent.
    void startConnecting() {
        form1().MOpen.onClick();
        tick();
        receive("scpi > ");
        tick();
        tick();
        advance(5);
        tick();
        tick();
    }

    // Brings the link up as a receiver identified as 73408K; with `echo` the echo check says on.
    void connect(bool echo) {
        startConnecting();
        receive(echo ? "1\r\nscpi > " : "0\r\nscpi > ");
        tick();
        tick();
        receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
        tick();
        tick();
    }

    void setUp(int scenario) {
        switch (scenario % 10) {
            case 0:  // probing
                form1().MOpen.onClick();
                tick();
                break;
            case 1: startConnecting(); break;
            case 2: connect(false); break;  // polling the status view
            case 3:
                connect(false);
                form1().funcClock.onClick();
                break;
            case 4:
                connect(false);
                form1().FuncCustUpdate.onClick();
                break;
            case 5:  // a Control & Query command outstanding
                form1().disableUpdates.checked = true;
                connect(false);
                sendFromControlQuery("*idn?");
                tick();
                break;
            case 6:  // a query group running, as the Status System menu starts one
                form1().disableUpdates.checked = true;
                connect(false);
                app->state.queryGroup = kAlarmCauseGroup;
                app->state.queryIndex = 1;
                app->state.sendRequest = true;
                log().cmdSendSCPI.enabled = false;
                ++commandsSent;
                tick();
                break;
            case 7:  // download preparation, as the download window starts it
                connect(false);
                app->state.downloadPrep = true;
                app->state.prepStep = -4;
                tick();
                break;
            case 8:
                connect(false);
                form1().funcTermEmul.onClick();
                tick();
                break;
            case 9: connect(true); break;  // echo on
        }
    }

    void step(Input& in) {
        const std::uint8_t op = in.byte();
        const int arg = op >> 3;
        if (trace) std::fprintf(stderr, "%7.1f op %d/%d [%s]\n", elapsed, op & 7, arg, form1().Label1.caption.c_str());
        switch (op & 7) {
            case 0: receive(in.bytes(in.byte())); break;
            case 1:
                for (int i = 0; i <= (arg & 3); ++i) tick();
                break;
            case 2:
                advance(in.byte() / 10.0);
                tick();
                break;
            case 3: sendFromControlQuery(kCommands[arg % std::size(kCommands)]); break;
            case 4: receive((arg & 1) ? "E-113> " : "\r\nscpi > "); break;
            case 5:
                switch (arg % 6) {
                    case 0: form1().funcStatus.onClick(); break;
                    case 1: form1().funcClock.onClick(); break;
                    case 2: form1().FuncCustUpdate.onClick(); break;
                    case 3: form1().funcTermEmul.onClick(); break;
                    case 4: form1().disableUpdates.onClick(); break;
                    case 5: form1().demoMode.onClick(); break;
                }
                break;
            case 6:
                app->forms.frmTerminal.txtTerminal.onKeyPress(static_cast<char>(in.byte()));
                skipUserWrites();
                break;
            case 7:
                if (arg % 4 == 0) {
                    // One flood an input: more only slow the fuzzer down, matching byte by byte.
                    const char fill = static_cast<char>(in.byte());
                    if (!flooded) receive(std::string(kFlood, fill));
                    flooded = true;
                } else if (arg % 4 == 1) {
                    form1().MOpen.onClick();  // closes or opens the port
                    awaiting = false;
                } else tick();
                break;
        }
    }

    // After the input: the user stops the polls and leaves demo mode and the terminal view; the
    // receiver answers every line with a prompt. A command sent then must reach the line.
    void recover() {
        if (form1().demoMode.checked) form1().demoMode.onClick();
        if (form1().funcTermEmul.checked) form1().funcStatus.onClick();
        form1().disableUpdates.checked = true;
        if (!app->state.portIsOpen) {
            form1().MOpen.onClick();
            awaiting = false;
            if (!app->state.portIsOpen) return;
        }
        // A download made ready stops the main timer: the transfer owns the line from there.
        if (!form1().Timer1.enabled) return;
        receive("\r\nscpi > ");
        // The receiver answers each line the link writes, and is quiet otherwise.
        // It is done once the link has stood idle for a few ticks.
        for (int round = 0, idle = 0; round < 80 && idle < 3; ++round) {
            const std::size_t before = port.writes.size();
            tick();
            if (port.writes.size() > before) receive("scpi > ");
            idle = form1().Label1.caption == "Idle" && log().cmdSendSCPI.enabled ? idle + 1 : 0;
            advance(1);
        }
        // A download preparation owns the line until the download window ends it.
        if (!form1().Timer1.enabled || app->state.downloadPrep) return;
        require(log().cmdSendSCPI.enabled, "\"Send Cmd\" stays disabled with nothing pending");
        const std::string& text = log().txtShowLog.text();
        int outcomes = 0;
        for (std::size_t i = text.find("\r\nreply: "); i != std::string::npos; i = text.find("\r\nreply: ", i + 1))
            ++outcomes;
        for (std::size_t i = text.find("   ERROR: "); i != std::string::npos; i = text.find("   ERROR: ", i + 1))
            ++outcomes;
        for (std::size_t i = text.find("bit pattern: "); i != std::string::npos; i = text.find("bit pattern: ", i + 1))
            ++outcomes;
        if (text.find("Alarm Cause(s): ") != std::string::npos) ++outcomes;
        if (trace) std::fprintf(stderr, "log: %s\nsent %d, outcomes %d\n", text.c_str(), commandsSent, outcomes);
        require(outcomes >= commandsSent, "a command sent from Control & Query got no outcome");

        port.takeWritten();
        const std::size_t mark = port.writes.size();
        sendFromControlQuery("*opc?");
        for (int i = 0; i < 3 && port.writes.size() == mark; ++i) tick();
        require(port.writes.size() > mark && port.writes.back() == "*opc?\r\n",
                "the link is stuck: a new command never goes out");
    }
};

Harness& harness() {
    static Harness* h = new Harness;
    return *h;
}

}  // namespace
}  // namespace kestrix

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrix::Harness& h = kestrix::harness();
    h.reset();
    kestrix::Input in{data, size};
    h.setUp(in.byte());
    while (!in.empty()) h.step(in);
    h.recover();
    // The program goes with its input, so that each run frees what it allocated and libFuzzer's
    // leak check has nothing to look into.
    h.app.reset();
    h.port = kestrix::platform::FakeSerialPort{};
    return 0;
}
