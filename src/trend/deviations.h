#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace kestrix {

// The stability statistics of phase data, one averaging time at a time.
//
// Phase data are time offsets in seconds taken every `tau0` seconds; a missing reading is a gap,
// written as NaN. A gap is never bridged: a term that needs a missing reading is left out, and
// each statistic is taken over the terms that remain (their number is the point's count).
//
//   Adev    overlapping Allan deviation      second differences x[i+2m] - 2x[i+m] + x[i]
//   Mdev    overlapping modified Allan       second differences of m-reading averages
//   Hdev    overlapping Hadamard deviation   third differences (blind to a linear frequency drift)
//   Tdev    time deviation                   tau / sqrt(3) times the modified Allan deviation
//   TieRms  rms time interval error          x[i+m] - x[i]
//   Mtie    maximum time interval error      the largest peak-to-peak phase over any window of
//                                            m + 1 readings, every window taken
enum class Statistic { Adev, Mdev, Hdev, Tdev, TieRms, Mtie };

inline constexpr std::array<Statistic, 6> kStatistics = {Statistic::Adev, Statistic::Mdev,   Statistic::Hdev,
                                                         Statistic::Tdev, Statistic::TieRms, Statistic::Mtie};

// "Overlapping ADEV", "MDEV", ...: the statistic's name as the window shows it.
std::string statisticName(Statistic statistic);
// "ADEV", "MDEV", "HDEV", "TDEV", "TIE rms", "MTIE": the short name heading the table's other columns.
std::string statisticShortName(Statistic statistic);
// True for the statistics in seconds (TDEV, TIE rms, MTIE); the others are fractional frequency.
bool isTimeStatistic(Statistic statistic);

// One statistic at one averaging time; a statistic with no term to take is NaN with count 0.
struct Deviation {
    double tau = 0;          // seconds
    std::size_t factor = 0;  // m, tau = m * tau0
    std::size_t count = 0;   // terms taken
    double value = 0;
};

// The phase prepared once for any number of statistics and averaging times: the readings and
// the runs of readings between gaps.
class PhaseData {
public:
    PhaseData(std::vector<double> phase, double tau0);

    const std::vector<double>& phase() const { return x_; }
    double tau0() const { return tau0_; }
    std::size_t size() const { return x_.size(); }
    struct Run {
        std::size_t from, to;  // readings [from, to), none a gap
    };
    const std::vector<Run>& runs() const { return runs_; }

private:
    std::vector<double> x_;
    double tau0_;
    std::vector<Run> runs_;
};

Deviation deviation(const PhaseData& data, Statistic statistic, std::size_t m);

// MTIE at the averaging factors 1, 2, 4, ... up to `largest`, exactly as deviation() gives it but
// cheaper: the extremes of each window of 2m + 1 readings are those of two windows of m + 1
// readings overlapping by one, so each octave costs one pass over the record.
std::vector<Deviation> mtieAtOctaves(const std::vector<double>& phase, double tau0, std::size_t largest);

// The phase with the least-squares quadratic taken out, which removes a constant frequency offset
// and a linear frequency drift; gaps stay gaps. Fewer than three readings are returned unchanged.
std::vector<double> withoutFrequencyDrift(const std::vector<double>& phase);

}  // namespace kestrix
