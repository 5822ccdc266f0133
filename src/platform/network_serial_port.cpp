#include "platform/network_serial_port.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/posix_line_settings.h"

namespace kestrix::platform {

namespace {

// A connection that stops answering is found out within about this long, even while idle.
constexpr int kKeepIdleSeconds = 5, kKeepIntervalSeconds = 2, kKeepProbes = 3;
constexpr unsigned kUnacknowledgedMs = 15000;

void tuneSocket(int fd) {
    const int on = 1;
    // Commands are short and each waits for its reply: no delay for gathering.
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleSeconds, sizeof kKeepIdleSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalSeconds, sizeof kKeepIntervalSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepProbes, sizeof kKeepProbes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnacknowledgedMs, sizeof kUnacknowledgedMs);
}

}  // namespace

// The addresses getaddrinfo() gives for a network port, or the reason it gives none.
std::vector<NetworkSerialPort::Candidate> NetworkSerialPort::addressesOf(const PortAddress& address, int flags,
                                                                         std::string& failure) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    const int resolved = getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found);
    std::vector<Candidate> candidates;
    if (resolved != 0) {
        failure = resolved == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(resolved);
        return candidates;
    }
    for (const addrinfo* a = found; a; a = a->ai_next) {
        Candidate candidate;
        std::memcpy(&candidate.address, a->ai_addr, a->ai_addrlen);
        candidate.length = a->ai_addrlen;
        candidates.push_back(candidate);
    }
    freeaddrinfo(found);
    return candidates;
}

// A host name looked up on a thread of its own, so that a name server that does not answer never
// holds up the program. The thread keeps the lookup alive until it is done, even once the port has
// given up on it; the descriptor turns readable when the answer is in.
struct NetworkSerialPort::HostLookup {
    int wake[2] = {-1, -1};
    std::mutex mutex;
    bool done = false;
    std::vector<Candidate> addresses;
    std::string failure;

    static std::shared_ptr<HostLookup> start(const PortAddress& address) {
        auto lookup = std::make_shared<HostLookup>();
        if (::pipe2(lookup->wake, O_CLOEXEC | O_NONBLOCK) != 0)
            throw SerialError("Cannot look up " + address.host + ": " + std::strerror(errno));
        std::thread([lookup, address] {
            std::string failure;
            auto found = addressesOf(address, 0, failure);
            std::lock_guard lock(lookup->mutex);
            lookup->addresses = std::move(found);
            lookup->failure = failure.empty() && lookup->addresses.empty() ? "no address found" : failure;
            lookup->done = true;
            [[maybe_unused]] const ssize_t woken = ::write(lookup->wake[1], "", 1);
        }).detach();
        return lookup;
    }
    ~HostLookup() {
        for (int fd : wake)
            if (fd >= 0) ::close(fd);
    }
};

NetworkSerialPort::NetworkSerialPort(std::function<std::string(int port)> addressOf)
    : addressOf_(std::move(addressOf)) {}

NetworkSerialPort::~NetworkSerialPort() { close(); }

std::string NetworkSerialPort::described() const { return portName() + " (" + address_.text + ")"; }

void NetworkSerialPort::setSettings(const std::string& text) {
    settings_ = parseSerialSettings(text);
    if (telnet_)
        queueControl([&] {
            std::string wire;
            telnet_->setLine(settings_, handshaking_, std::chrono::steady_clock::now(), wire);
            return wire;
        }());
}

void NetworkSerialPort::setHandshaking(int handshaking) {
    checkHandshaking(handshaking);
    handshaking_ = handshaking;
    if (telnet_) setSettings(settings_.text());
}

void NetworkSerialPort::open() {
    if (portOpen()) return;
    address_ = parsePortAddress(addressOf_ ? addressOf_(port_) : std::string());
    if (!address_.isNetwork()) throw SerialError(described() + " is no network port");
    if (!address_.problem.empty()) throw SerialError("Cannot open " + described() + ": " + address_.problem);

    connectBy_ = std::chrono::steady_clock::now() + kConnectWait;
    failure_.clear();
    failedConnecting_ = false;
    lostReason_.clear();
    inBuffer_.clear();
    std::string failure;
    candidates_ = addressesOf(address_, AI_NUMERICHOST, failure);
    if (candidates_.empty()) {
        lookup_ = HostLookup::start(address_);
        return;
    }
    const int error = connectNext(0);
    if (!portOpen()) throw SerialError("Cannot open " + described() + ": " + std::strerror(error));
}

// Tries the host's addresses in turn, from the first not yet tried; returns the last error when
// none is left. A connection under way leaves the port open and connecting.
int NetworkSerialPort::connectNext(int lastError) {
    while (!candidates_.empty()) {
        const Candidate candidate = candidates_.front();
        candidates_.erase(candidates_.begin());
        const int fd = ::socket(candidate.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        tuneSocket(fd);
        const int made = ::connect(fd, reinterpret_cast<const sockaddr*>(&candidate.address), candidate.length);
        if (made == 0 || errno == EINPROGRESS) {
            fd_ = fd;
            connecting_ = true;
            if (made == 0) connectionMade();
            return 0;
        }
        lastError = errno;
        ::close(fd);
    }
    return lastError;
}

void NetworkSerialPort::connectionMade() {
    connecting_ = false;
    candidates_.clear();
    if (address_.kind != PortAddress::Kind::rfc2217) return;
    const auto now = std::chrono::steady_clock::now();
    telnet_ = std::make_unique<Rfc2217Protocol>(now);
    std::string wire = Rfc2217Protocol::greeting();
    telnet_->setLine(settings_, handshaking_, now, wire);
    // The greeting goes before anything the program queued while the connection was being made.
    outQueue_.prepend(wire);
}

int NetworkSerialPort::fileDescriptor() const {
    if (fd_ >= 0) return fd_;
    return lookup_ ? lookup_->wake[0] : -1;
}

void NetworkSerialPort::checkLookup() {
    {
        std::lock_guard lock(lookup_->mutex);
        if (!lookup_->done) {
            if (std::chrono::steady_clock::now() >= connectBy_) {
                failedConnecting_ = true;
                noteFailure("the name was not looked up in time");
            }
            return;
        }
        candidates_ = std::move(lookup_->addresses);
        if (candidates_.empty()) {
            failedConnecting_ = true;
            noteFailure(lookup_->failure);
        }
    }
    lookup_.reset();
    if (candidates_.empty()) return;
    const int error = connectNext(0);
    if (fd_ >= 0) return;
    failedConnecting_ = true;
    noteFailure(std::strerror(error));
}

void NetworkSerialPort::checkConnecting() {
    pollfd watch{fd_, POLLOUT, 0};
    if (poll(&watch, 1, 0) > 0) {
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        if (error == 0) {
            connectionMade();
            return;
        }
        ::close(std::exchange(fd_, -1));
        error = connectNext(error);
        if (portOpen()) return;
        failedConnecting_ = true;
        noteFailure(std::strerror(error));
        return;
    }
    if (std::chrono::steady_clock::now() >= connectBy_) {
        failedConnecting_ = true;
        noteFailure(std::strerror(ETIMEDOUT));
    }
}

// Also after a failed connection, which has already let its socket go: nothing queued for it is
// left to reach the next one.
void NetworkSerialPort::close() {
    lookup_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    connecting_ = false;
    candidates_.clear();
    telnet_.reset();
    outQueue_.clear();
    heldData_.clear();
}

// Discards what has come and what the far end holds for us, as a device's driver input is.
void NetworkSerialPort::setInBufferCount(int count) {
    if (count != 0) return;
    readWaiting();
    inBuffer_.clear();
    if (telnet_)
        queueControl([&] {
            std::string wire;
            telnet_->purgeReceived(wire);
            return wire;
        }());
}

int NetworkSerialPort::outBufferCount() {
    writeQueued();
    int unsent = 0;
    if (connected() && ioctl(fd_, TIOCOUTQ, &unsent) != 0) unsent = 0;
    return clampedCount(outQueue_.size() + heldData_.size() + static_cast<std::size_t>(std::max(unsent, 0)));
}

void NetworkSerialPort::output(const std::string& bytes) {
    if (!portOpen()) throw SerialError("Port is not open");
    if (telnet_ || connecting_ || lookup_) heldData_ += bytes;
    else outQueue_.append(bytes);
    releaseHeldData();
    writeQueued();
}

// The program's data goes to the wire once the connection is made and the server has confirmed
// the line (or not answered for a short while); doubled IACs for Telnet.
void NetworkSerialPort::releaseHeldData() {
    if (heldData_.empty() || !connected()) return;
    if (!telnet_) {
        outQueue_.append(heldData_);
    } else {
        if (telnet_->holdsData(std::chrono::steady_clock::now())) return;
        outQueue_.append(Rfc2217Protocol::escaped(heldData_));
    }
    heldData_.clear();
}

// A command to the far end follows the data queued before it, held or not.
void NetworkSerialPort::queueControl(const std::string& wire) {
    if (wire.empty()) return;
    if (telnet_ && !heldData_.empty()) outQueue_.append(Rfc2217Protocol::escaped(std::exchange(heldData_, {})));
    outQueue_.append(wire);
    writeQueued();
}

void NetworkSerialPort::setBreak(bool on) {
    if (telnet_)
        queueControl([&] {
            std::string wire;
            telnet_->setBreak(on, wire);
            return wire;
        }());
}

bool NetworkSerialPort::outputWaiting() const {
    if (!portOpen() || lookup_) return false;
    if (connecting_ || !outQueue_.empty()) return true;
    return !heldData_.empty() && !(telnet_ && telnet_->holdsData(std::chrono::steady_clock::now()));
}

void NetworkSerialPort::writeQueued() {
    if (!connected() || !failure_.empty()) return;
    if (const int error = outQueue_.writeWith(
            [this](const char* bytes, std::size_t count) { return ::send(fd_, bytes, count, MSG_NOSIGNAL); }))
        noteFailure(std::strerror(error));
}

void NetworkSerialPort::readWaiting() {
    char chunk[16384];
    while (connected() && failure_.empty() && inBuffer_.size() < kInputLimit) {
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got > 0) {
            take(chunk, static_cast<std::size_t>(got));
            if (static_cast<std::size_t>(got) < sizeof chunk) return;
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) noteFailure("the far end closed the connection");
        else if (!wouldBlock(errno)) noteFailure(std::strerror(errno));
        return;
    }
}

void NetworkSerialPort::take(const char* bytes, std::size_t count) {
    const std::size_t before = inBuffer_.size();
    if (telnet_) {
        // The line's settings, sent once the server agrees, go before the data held until then.
        std::string answers;
        telnet_->receive(std::string_view(bytes, count), std::chrono::steady_clock::now(), inBuffer_, answers,
                         farEndEvents_);
        outQueue_.append(answers);
    } else {
        inBuffer_.append(bytes, count);
    }
    received_ += inBuffer_.size() - before;
}

void NetworkSerialPort::service() {
    if (!portOpen()) return;
    if (lookup_) checkLookup();
    if (connecting_ && fd_ >= 0) checkConnecting();
    readWaiting();
    releaseHeldData();
    writeQueued();
    std::vector<int> codes = std::exchange(farEndEvents_, {});
    if (!failure_.empty()) {
        lostReason_ = failedConnecting_ ? "Cannot open " + described() + ": " + failure_
                                        : described() + " was disconnected: " + failure_;
        close();
        codes.push_back(comm::erPortLost);
    }
    raise(std::move(codes));
}

}  // namespace kestrix::platform
