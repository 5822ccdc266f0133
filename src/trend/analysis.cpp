#include "trend/analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

#include "trend/stability.h"

namespace kestrix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool driftMatters(Statistic s) { return s == Statistic::Adev || s == Statistic::Mdev || s == Statistic::Tdev; }

// The noise type at each octave factor; where too few readings remain to tell, the type found at
// the longest tau that could be told (white frequency noise when none could).
std::vector<int> noiseTypes(const std::vector<double>& phase, const std::vector<std::size_t>& factors, int deepest) {
    std::vector<int> alphas;
    int last = 0;
    for (std::size_t m : factors) {
        if (const std::optional<int> alpha = noiseAlpha(phase, m, deepest)) last = *alpha;
        alphas.push_back(last);
    }
    return alphas;
}

}  // namespace

bool hasErrorBars(Statistic statistic) { return statistic != Statistic::TieRms && statistic != Statistic::Mtie; }

std::vector<StatisticCurve> analyse(std::vector<double> phase, double tau0, const AnalysisChoice& choice) {
    std::vector<StatisticCurve> curves;
    const std::vector<std::size_t> factors = octaveFactors(phase.size());
    const bool anyDrift =
        choice.removeDrift && std::any_of(choice.statistics.begin(), choice.statistics.end(), driftMatters);
    const std::optional<PhaseData> detrended =
        anyDrift ? std::optional<PhaseData>(PhaseData(withoutFrequencyDrift(phase), tau0)) : std::nullopt;
    const PhaseData asRecorded(std::move(phase), tau0);
    std::map<std::pair<bool, int>, std::vector<int>> alphas;     // by (detrended, deepest difference)
    std::map<std::pair<bool, std::size_t>, Deviation> modified;  // MDEV by (detrended, m), shared with TDEV

    for (Statistic statistic : choice.statistics) {
        StatisticCurve curve{statistic, {}};
        const bool useDetrended = detrended && driftMatters(statistic);
        const PhaseData& data = useDetrended ? *detrended : asRecorded;
        const int deepest = statistic == Statistic::Hdev ? 3 : 2;
        std::vector<int>* noise = nullptr;
        if (hasErrorBars(statistic)) {
            auto [it, fresh] = alphas.try_emplace({useDetrended, deepest});
            if (fresh) it->second = noiseTypes(data.phase(), factors, deepest);
            noise = &it->second;
        }
        const std::vector<Deviation> mtie = statistic == Statistic::Mtie && !factors.empty()
                                                ? mtieAtOctaves(asRecorded.phase(), tau0, factors.back())
                                                : std::vector<Deviation>{};
        for (std::size_t k = 0; k < factors.size(); ++k) {
            const std::size_t m = factors[k];
            StatisticPoint point;
            if (statistic == Statistic::Mtie) {
                point.deviation = mtie[k];
            } else if (statistic == Statistic::Mdev || statistic == Statistic::Tdev) {
                auto [it, fresh] = modified.try_emplace({useDetrended, m});
                if (fresh) it->second = deviation(data, Statistic::Mdev, m);
                point.deviation = it->second;
                if (statistic == Statistic::Tdev) point.deviation.value *= point.deviation.tau / std::sqrt(3.0);
            } else {
                point.deviation = deviation(data, statistic, m);
            }
            point.degreesOfFreedom = kNaN;
            point.interval = {kNaN, kNaN};
            if (noise) {
                point.alpha = (*noise)[k];
                point.degreesOfFreedom = degreesOfFreedom(statistic, point.alpha, m, point.deviation.count);
                point.interval = confidenceInterval(point.deviation.value, point.degreesOfFreedom);
            }
            curve.points.push_back(point);
        }
        curves.push_back(std::move(curve));
    }
    return curves;
}

}  // namespace kestrix
