#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace kestrix::platform {

// A failure of the serial port, carrying the description the user is shown.
class SerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Serial-port events and errors, as reported through CommEvent.
namespace comm {
inline constexpr int evSend = 1, evReceive = 2, evCTS = 3, evDSR = 4, evCD = 5, evRing = 6, evEOF = 7;
inline constexpr int erBreak = 1001, erCTSTO = 1002, erDSRTO = 1003, erFrame = 1004, erOverrun = 1006, erCDTO = 1007,
                     erRxOver = 1008, erRxParity = 1009, erTxFull = 1010;
// The device went away while open (a USB adapter pulled out, the other end of a pseudo-terminal
// closed); the port has been closed.
inline constexpr int erPortLost = 1011;
}  // namespace comm

// The serial-port component the main window owns. Data is bytes, kept in std::string.
// Failures throw SerialError.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual int commPort() const = 0;
    virtual void setCommPort(int port) = 0;  // only while closed
    // Written as "9600,N,8,1" or " 9600,n, 8, 1"; read back normalised as "9600,n,8,1".
    virtual std::string settings() const = 0;
    virtual void setSettings(const std::string& settings) = 0;
    virtual int handshaking() const = 0;  // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both
    virtual void setHandshaking(int handshaking) = 0;
    virtual bool portOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;

    virtual int inputLen() const = 0;
    virtual void setInputLen(int length) = 0;
    virtual int inBufferCount() = 0;
    virtual void setInBufferCount(int count) = 0;  // 0 discards what is waiting
    virtual int outBufferCount() = 0;
    virtual std::string input() = 0;                    // takes what is waiting (InputLen at most)
    virtual void output(const std::string& bytes) = 0;  // queues and returns at once

    virtual int commEvent() const = 0;
    // Why the port last closed by itself (comm::erPortLost), such as "COM1 (/dev/ttyUSB0) was
    // disconnected: ..."; empty until that happens.
    virtual std::string lostReason() const { return {}; }
    // Called on the user-interface thread when CommEvent changes.
    std::function<void()> onComm;

    // For an event loop that waits on the line instead of polling it. The open device's
    // descriptor, -1 when there is nothing to wait on (the port is closed, or is no device).
    virtual int fileDescriptor() const { return -1; }
    // Output was accepted that the line has not taken yet: wait for room to write.
    virtual bool outputWaiting() const { return false; }
    // The input buffer holds all it may: more input stays in the device until some is taken.
    virtual bool inputFull() const { return false; }
    // Bytes taken in from the device so far: a rise tells that input arrived, whatever was
    // taken from the buffer meanwhile.
    virtual std::uint64_t bytesReceived() const { return 0; }
    // The open device reports its error counters or modem lines (a pseudo-terminal reports
    // neither), so that looking at them now and then can find something.
    virtual bool reportsLineEvents() const { return true; }
    // Moves queued output to the line and waiting input into the buffer, then raises onComm for
    // whatever happened on the line since the last call. Never blocks.
    virtual void service() {}
};

}  // namespace kestrix::platform
