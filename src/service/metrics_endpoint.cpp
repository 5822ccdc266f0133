#include "service/metrics_endpoint.h"

#include <prometheus/collectable.h>
#include <prometheus/exposer.h>
#include <prometheus/metric_family.h>

#include <chrono>

#include "monitor/metrics.h"

namespace kestrix::service {

class MetricsEndpoint::Collectable final : public prometheus::Collectable {
public:
    explicit Collectable(const ReadingsBoard& board) : board_(board) {}

    std::vector<prometheus::MetricFamily> Collect() const override {
        const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
        const auto readings = board_.read();
        std::vector<monitor::MetricFamily> families = monitor::metricFamilies(*readings, now);
        std::vector<prometheus::MetricFamily> out;
        out.reserve(families.size());
        for (monitor::MetricFamily& family : families) {
            prometheus::MetricFamily& f = out.emplace_back();
            f.name = std::move(family.name);
            f.help = std::move(family.help);
            const bool counter = family.type == monitor::MetricFamily::Type::Counter;
            f.type = counter ? prometheus::MetricType::Counter : prometheus::MetricType::Gauge;
            f.metric.reserve(family.samples.size());
            for (monitor::MetricSample& sample : family.samples) {
                prometheus::ClientMetric& metric = f.metric.emplace_back();
                metric.label.reserve(sample.labels.size());
                for (auto& [name, value] : sample.labels) metric.label.push_back({std::move(name), std::move(value)});
                (counter ? metric.counter.value : metric.gauge.value) = sample.value;
            }
        }
        return out;
    }

private:
    const ReadingsBoard& board_;
};

MetricsEndpoint::MetricsEndpoint(const std::string& address, const ReadingsBoard& board)
    : collectable_(std::make_shared<Collectable>(board)),
      exposer_(std::make_unique<prometheus::Exposer>(std::vector<std::string>{
          "listening_ports", address, "num_threads", std::to_string(kThreads), "request_timeout_ms",
          std::to_string(kRequestTimeoutMs), "enable_keep_alive", "no"})) {
    exposer_->RegisterCollectable(collectable_, "/metrics");
}

MetricsEndpoint::~MetricsEndpoint() = default;

int MetricsEndpoint::port() const {
    const auto ports = exposer_->GetListeningPorts();
    return ports.empty() ? 0 : ports.front();
}

}  // namespace kestrix::service
