#pragma once

#include <string>

namespace kestrix {

// The link state shared between the windows, with the start values the program begins with.
struct LinkState {
    // Scheduler and Control & Query.
    bool portIsOpen = false;
    std::string currentCommand;
    bool sendRequest = false;
    bool replyReady = false;
    std::string replyText;
    int queryGroup = 0;
    int queryIndex = 0;
    bool groupError = false;
    int timeoutSeconds = 6;
    bool tryingToEstablish = true;
    bool reestablished = false;
    bool connectionStarted = false;
    bool downloadPrep = false;
    std::string customUpdateCommand = "ptim:tcod?";

    // Connection and download preparation.
    std::string modelName;
    bool modelIs73408K = false;
    int prepStep = 0;
    bool readyToDownload = false;
    int downloadBurst = 10;

    // Terminal view.
    std::string termLineBuffer;
    bool termReady = false;
    int termIdleTicks = 0;
    bool termResponsePending = false;

    // Firmware transfer.
    std::string downloadFileName;
    bool downloadStartRequest = false;
    long linesSent = 0;
    long linesRetried = 0;
    std::string currentRecord;

    friend bool operator==(const LinkState&, const LinkState&) = default;
};

}  // namespace kestrix
