#include "trend/masks.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kestrix {
namespace {

// One piece of a mask: limit = constant + slope * tau (seconds) for from < tau <= to.
struct Piece {
    double from, to, constant, slope;
};

struct MaskTable {
    Mask mask;
    Statistic statistic;
    std::vector<Piece> pieces;
};

constexpr double kMicro = 1e-6, kNano = 1e-9;
constexpr double kForever = std::numeric_limits<double>::infinity();

// The breakpoints, from the recommendations' tables:
//  - ITU-T G.811 (09/1997), Table 1 (MTIE) and Table 2 (TDEV), primary reference clock:
//      MTIE 0.275e-3 tau + 0.025 us for 0.1 < tau <= 1000 s, 1e-5 tau + 0.29 us above;
//      TDEV 3 ns for 0.1 < tau <= 100 s, 0.03 tau ns to 1000 s, 30 ns to 10000 s.
//  - ITU-T G.8272/Y.1367, Table 1 (MTIE) and Table 2 (TDEV), PRTC-A:
//      MTIE 0.275e-3 tau + 0.025 us for 0.1 < tau <= 273 s, 0.10 us above;
//      TDEV 3 ns for 0.1 < tau <= 100 s, 0.03 tau ns to 1000 s, 30 ns to 10000 s.
//  - The same tables, PRTC-B:
//      MTIE 0.275e-3 tau + 0.025 us for 0.1 < tau <= 54.5 s, 0.04 us above;
//      TDEV 1 ns for 0.1 < tau <= 100 s, 0.01 tau ns to 500 s, 5 ns to 100000 s.
// MTIE masks without an upper end run on for as long as the record allows.
const std::vector<MaskTable>& tables() {
    static const std::vector<MaskTable> all = {
        {Mask::G811Prc,
         Statistic::Mtie,
         {{0.1, 1000, 0.025 * kMicro, 0.275e-3 * kMicro}, {1000, kForever, 0.29 * kMicro, 1e-5 * kMicro}}},
        {Mask::G811Prc,
         Statistic::Tdev,
         {{0.1, 100, 3 * kNano, 0}, {100, 1000, 0, 0.03 * kNano}, {1000, 10000, 30 * kNano, 0}}},
        {Mask::G8272PrtcA,
         Statistic::Mtie,
         {{0.1, 273, 0.025 * kMicro, 0.275e-3 * kMicro}, {273, kForever, 0.10 * kMicro, 0}}},
        {Mask::G8272PrtcA,
         Statistic::Tdev,
         {{0.1, 100, 3 * kNano, 0}, {100, 1000, 0, 0.03 * kNano}, {1000, 10000, 30 * kNano, 0}}},
        {Mask::G8272PrtcB,
         Statistic::Mtie,
         {{0.1, 54.5, 0.025 * kMicro, 0.275e-3 * kMicro}, {54.5, kForever, 0.04 * kMicro, 0}}},
        {Mask::G8272PrtcB,
         Statistic::Tdev,
         {{0.1, 100, 1 * kNano, 0}, {100, 500, 0, 0.01 * kNano}, {500, 100000, 5 * kNano, 0}}},
    };
    return all;
}

const MaskTable* tableOf(Mask mask, Statistic statistic) {
    for (const MaskTable& t : tables())
        if (t.mask == mask && t.statistic == statistic) return &t;
    return nullptr;
}

std::string tauText(double tau) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", tau);
    return text;
}

}  // namespace

std::string maskName(Mask mask) {
    switch (mask) {
        case Mask::G811Prc: return "G.811 PRC";
        case Mask::G8272PrtcA: return "G.8272 PRTC-A";
        case Mask::G8272PrtcB: return "G.8272 PRTC-B";
    }
    return {};
}

std::optional<double> maskLimit(Mask mask, Statistic statistic, double tau) {
    const MaskTable* table = tableOf(mask, statistic);
    if (!table) return std::nullopt;
    for (const Piece& p : table->pieces)
        if (tau > p.from && tau <= p.to) return p.constant + p.slope * tau;
    return std::nullopt;
}

TauRange maskRange(Mask mask, Statistic statistic) {
    const MaskTable* table = tableOf(mask, statistic);
    if (!table) return {};
    return {table->pieces.front().from, table->pieces.back().to};
}

MaskVerdict judge(Mask mask, Statistic statistic, const std::vector<Deviation>& points) {
    MaskVerdict verdict;
    for (const Deviation& p : points) {
        const std::optional<double> limit = maskLimit(mask, statistic, p.tau);
        if (!limit || !std::isfinite(p.value)) continue;
        ++verdict.judged;
        if (p.value > *limit && (!verdict.firstFailure || p.tau < *verdict.firstFailure)) verdict.firstFailure = p.tau;
    }
    return verdict;
}

std::string verdictText(Mask mask, Statistic statistic, const MaskVerdict& verdict) {
    const std::string head = maskName(mask) + " " + (statistic == Statistic::Mtie ? "MTIE" : "TDEV") + ": ";
    if (verdict.judged == 0) return head + "no point in range";
    if (verdict.firstFailure) return head + "fails at tau = " + tauText(*verdict.firstFailure) + " s";
    return head + "pass";
}

}  // namespace kestrix
