#include "trend/confidence.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kFewestForAutocorrelation = 30;

// The lag-1 autocorrelation of a series with gaps: mean and variance over the readings present,
// products over the neighbouring pairs present.
std::optional<double> lagOneAutocorrelation(const std::vector<double>& z) {
    long double sum = 0;
    std::size_t n = 0;
    for (double v : z)
        if (!std::isnan(v)) sum += v, ++n;
    if (n < 3) return std::nullopt;
    const long double mean = sum / static_cast<long double>(n);
    long double squares = 0, products = 0;
    for (std::size_t i = 0; i < z.size(); ++i) {
        if (std::isnan(z[i])) continue;
        squares += (z[i] - mean) * (z[i] - mean);
        if (i + 1 < z.size() && !std::isnan(z[i + 1])) products += (z[i] - mean) * (z[i + 1] - mean);
    }
    if (squares == 0) return std::nullopt;
    return static_cast<double>(products / squares);
}

// ---- Degrees of freedom

// The generalized autocovariance of the phase's running integral for noise alpha, t in units of
// tau: its second difference over a span h is the covariance of the phase averaged over h.
long double integratedCovariance(long double t, int alpha) {
    const long double a = std::fabs(t);
    const long double logA = a > 0 ? std::log(a) : 0;  // t^k ln|t| is 0 at t = 0
    switch (alpha) {
        case 2: return -a;
        case 1: return a * a * logA;
        case 0: return a * a * a;
        case -1: return -a * a * a * a * logA;
        case -2: return -a * a * a * a * a;
        case -3: return a * a * a * a * a * a * logA;
        default: return a * a * a * a * a * a * a;  // -4
    }
}

// The covariance of the phase as sampled, at lag t (units of tau): averaged over 1 / averaging
// when `averaging` is finite, the samples themselves when it is infinite (alpha <= 0 only).
long double phaseCovariance(long double t, int alpha, long double averaging) {
    if (std::isinf(averaging)) return integratedCovariance(t, alpha + 2);
    const long double h = 1 / averaging;
    return averaging * averaging *
           (2 * integratedCovariance(t, alpha) - integratedCovariance(t - h, alpha) -
            integratedCovariance(t + h, alpha));
}

// Binomial coefficients C(2d, d + j) for j = 0..d.
long double binomialCentre(int d, int j) {
    long double c = 1;
    for (int i = 1; i <= d - j; ++i) c = c * (d + j + i) / i;  // C(2d, d+j) = C(2d, d-j)
    return c;
}

struct Filter {
    int d;          // order of the phase difference: 2 Allan family, 3 Hadamard
    bool modified;  // the phase averaged over tau before differencing
};

Filter filterOf(Statistic statistic) {
    switch (statistic) {
        case Statistic::Adev: return {2, false};
        case Statistic::Hdev: return {3, false};
        default: return {2, true};  // MDEV and TDEV
    }
}

// edf = M / (1 + 2 sum_{k=1}^{K} (1 - k/M) rho(k)^2), rho(k) the correlation of the terms at a lag
// of k readings, zero beyond the filter's span of (d + 1) tau. Past a few hundred lags per tau the
// sum is a Riemann sum of a smooth function and is taken on a coarser grid with the same number of
// terms per tau (edf then depends on M / S only).
double filteredDegreesOfFreedom(const Filter& f, int alpha, double m, double terms) {
    constexpr double kMostLagsPerTau = 128;
    const double samplesPerTau = m;
    // White phase noise through an unmodified filter: the terms correlate only at whole multiples
    // of tau, by the filter's own taps.
    if (alpha == 2 && !f.modified) {
        const long double c0 = binomialCentre(f.d, 0);
        long double sum = 1;
        for (int i = 1; i <= f.d; ++i) {
            const double lag = i * samplesPerTau;
            if (lag >= terms) break;
            const long double rho = binomialCentre(f.d, i) / c0;
            sum += 2 * (1 - lag / terms) * rho * rho;
        }
        return static_cast<double>(terms / sum);
    }
    const long double averaging =
        f.modified ? 1.0L : (alpha >= 1 ? static_cast<long double>(m) : std::numeric_limits<long double>::infinity());
    const double grid = std::min(samplesPerTau, kMostLagsPerTau);  // lags per tau on the grid
    const double gridTerms = terms * grid / samplesPerTau;
    const auto perTau = static_cast<long>(std::lround(grid));
    const long lags = (f.d + 1) * perTau;
    // The phase covariance on the grid, lags -(d perTau) .. lags + d perTau.
    const long offset = f.d * perTau;
    std::vector<long double> sx(static_cast<std::size_t>(lags + 2 * offset + 1));
    for (long k = -offset; k <= lags + offset; ++k)
        sx[static_cast<std::size_t>(k + offset)] =
            phaseCovariance(static_cast<long double>(k) / perTau, alpha, averaging);
    auto covariance = [&](long k) {  // of the d-th differences, lag k on the grid
        long double c = 0;
        for (int j = -f.d; j <= f.d; ++j) {
            const long at = std::abs(k + j * perTau);  // the covariance is even
            const long double sign = (j % 2 == 0) ? 1 : -1;
            c += sign * binomialCentre(f.d, std::abs(j)) * sx[static_cast<std::size_t>(at + offset)];
        }
        return c;
    };
    const long double c0 = covariance(0);
    if (!(c0 > 0)) return kNaN;
    long double sum = 1;
    for (long k = 1; k < lags && k < gridTerms; ++k) {
        const long double rho = covariance(k) / c0;
        sum += 2 * (1 - k / static_cast<long double>(gridTerms)) * rho * rho;
    }
    return static_cast<double>(gridTerms / sum);
}

// ---- The chi-squared distribution

// The regularized lower incomplete gamma function P(a, x).
double lowerGamma(double a, double x) {
    if (x <= 0) return 0;
    const double logPrefix = -x + a * std::log(x) - std::lgamma(a);
    if (x < a + 1) {
        double term = 1 / a, sum = term;
        for (int n = 1; n < 100000 && std::fabs(term) > std::fabs(sum) * 1e-16; ++n) {
            term *= x / (a + n);
            sum += term;
        }
        return std::min(1.0, sum * std::exp(logPrefix));
    }
    // Q(a, x) by its continued fraction (modified Lentz).
    constexpr double tiny = 1e-300;
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    for (int i = 1; i < 100000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < 1e-16) break;
    }
    return std::max(0.0, 1 - std::exp(logPrefix) * h);
}

// The standard normal quantile, by bisection on the complementary error function.
double normalQuantile(double p) {
    double low = -40, high = 40;
    for (int i = 0; i < 200 && high - low > 1e-15; ++i) {
        const double mid = (low + high) / 2;
        (0.5 * std::erfc(-mid / std::sqrt(2.0)) < p ? low : high) = mid;
    }
    return (low + high) / 2;
}

}  // namespace

std::optional<int> noiseAlpha(const std::vector<double>& phase, std::size_t m, int deepest) {
    if (m == 0) return std::nullopt;
    std::vector<double> z;
    std::size_t present = 0;
    for (std::size_t i = 0; i < phase.size(); i += m) {
        z.push_back(phase[i]);
        if (!std::isnan(phase[i])) ++present;
    }
    if (present < kFewestForAutocorrelation) return std::nullopt;
    for (int d = 0;; ++d) {
        const std::optional<double> r1 = lagOneAutocorrelation(z);
        if (!r1) return std::nullopt;
        const double delta = *r1 / (1 + *r1);
        if (delta < 0.25 || d >= deepest) {
            const double p = -2 * (delta + d);  // the phase's spectral exponent
            const int alpha = static_cast<int>(std::lround(p)) + 2;
            return std::clamp(alpha, deepest >= 3 ? -4 : -2, 2);
        }
        for (std::size_t i = 0; i + 1 < z.size(); ++i) z[i] = z[i + 1] - z[i];  // NaN beside a gap
        z.pop_back();
    }
}

double degreesOfFreedom(Statistic statistic, int alpha, std::size_t m, std::size_t terms) {
    if (terms == 0 || m == 0) return kNaN;
    if (statistic == Statistic::TieRms || statistic == Statistic::Mtie) return kNaN;
    const Filter f = filterOf(statistic);
    alpha = std::clamp(alpha, f.d == 3 ? -4 : -2, 2);
    return filteredDegreesOfFreedom(f, alpha, static_cast<double>(m), static_cast<double>(terms));
}

double chiSquaredQuantile(double p, double df) {
    if (!(df > 0) || !(p > 0) || !(p < 1)) return kNaN;
    const double a = df / 2;
    // Start from the Wilson-Hilferty approximation and bracket the root.
    const double z = normalQuantile(p), w = 2 / (9 * df);
    double x = df * std::pow(std::max(1e-6, 1 - w + z * std::sqrt(w)), 3);
    double low = 0, high = std::max(2 * x, df + 20 * std::sqrt(2 * df) + 50);
    for (int i = 0; i < 200; ++i) {
        const double f = lowerGamma(a, x / 2) - p;
        (f < 0 ? low : high) = x;
        // Newton's step with the density; bisection when it leaves the bracket.
        const double density = std::exp(-x / 2 + (a - 1) * std::log(x / 2) - std::lgamma(a)) / 2;
        double next = density > 0 ? x - f / density : (low + high) / 2;
        if (!(next > low && next < high)) next = (low + high) / 2;
        if (std::fabs(next - x) <= 1e-14 * std::max(1.0, x)) return next;
        x = next;
    }
    return x;
}

Interval confidenceInterval(double deviation, double edf, double level) {
    if (!std::isfinite(deviation) || !(edf > 0)) return {kNaN, kNaN};
    const double tail = (1 - level) / 2;
    return {deviation * std::sqrt(edf / chiSquaredQuantile(1 - tail, edf)),
            deviation * std::sqrt(edf / chiSquaredQuantile(tail, edf))};
}

}  // namespace kestrix
