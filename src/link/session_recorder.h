#pragma once

#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/recording_serial_port.h"
#include "shared/session_record.h"
#include "state/context.h"

namespace kestrix {

// File, Record Session...: every byte that crosses the receiver's line goes to a session record,
// written as it crosses, until the user chooses the item again (it is checked meanwhile). A record
// that cannot be written stops recording and is told to the user after the tick that found it;
// the link goes on either way.
class SessionRecorder final : public platform::TrafficTap {
public:
    SessionRecorder(Context& ctx, platform::RecordingSerialPort& port);
    ~SessionRecorder() override;
    SessionRecorder(const SessionRecorder&) = delete;
    SessionRecorder& operator=(const SessionRecorder&) = delete;

    void wire();
    // Records into a new file at `path`, ending a recording under way; false, the user told,
    // when the file cannot be made.
    bool start(const std::string& path);
    void stop();
    bool recording() const { return file_ != nullptr; }

    void sent(const std::string& bytes) override { write(TrafficDirection::Sent, bytes); }
    void received(const std::string& bytes) override { write(TrafficDirection::Received, bytes); }

private:
    void chooseAndStart();
    void write(TrafficDirection direction, const std::string& bytes);
    void writeText(const std::string& text);
    void showFailure();

    Context& ctx_;
    platform::RecordingSerialPort& port_;
    std::unique_ptr<platform::OutputFile> file_;
    std::string failure_;  // why recording stopped, until the user has been told
};

}  // namespace kestrix
