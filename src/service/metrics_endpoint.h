#pragma once

// The /metrics endpoint: Prometheus's text exposition format over HTTP, served by prometheus-cpp's
// exposer (civetweb) on its own threads from the readings the loop last published.

#include <memory>
#include <string>

#include "monitor/monitor_config.h"
#include "service/monitor_service.h"

namespace prometheus {
class Exposer;
}

namespace kestrix::service {

class MetricsEndpoint {
public:
    // A connection that takes longer to send its request or take its answer is dropped, so that
    // connections that stall hold a thread only briefly.
    static constexpr int kRequestTimeoutMs = 2000;
    // Scrapes answered at once; more wait in the listener's queue.
    static constexpr int kThreads = 8;

    // Listens at `address` ("127.0.0.1:9730"); throws std::exception when it cannot.
    MetricsEndpoint(const std::string& address, const ReadingsBoard& board);
    ~MetricsEndpoint();
    // The port listened on (useful when the configuration asked for port 0).
    int port() const;

private:
    class Collectable;
    std::shared_ptr<Collectable> collectable_;
    std::unique_ptr<prometheus::Exposer> exposer_;
};

}  // namespace kestrix::service
