#include "link/alarm_decode.h"

#include <functional>
#include <limits>
#include <vector>

#include "shared/numbers.h"

namespace kestrix {

namespace {

using Names = std::vector<const char*>;  // by bit position; "" where the bit has no name

const Names kOperBitNames{"", "Locked Operation", "", "Position Hold", "Sufficient Satellites",
                          "", "Log Almost Full",  ""};
const Names kHardBitNames{"Selftest Failure",           "+15V Out of Range",
                          "-15V Out of Range",          "5V Out of Range",
                          "Primary Oven Out of Range",  "Secondary Oven Out of Range",
                          "EFC Within 5% of Limit",     "EFC at Limit",
                          "GPS 1PPS Failure",           "GPS Failure",
                          "Time Interval Errors",       "EEPROM Failure",
                          "Internal Reference Failure", ""};
const Names kHoldBitNames{"Manual Holdover", "Holdover Waiting", "Holdover Recovery", "Holdover Threshold Exceeded"};
const Names kPowBitNames{"First Satellite Tracked", "Oscillator Warmed Up", "Date & Time Valid"};
const Names kEsrBitNames{"", "",        "Query Error", "Device Dependent Error", "Execution Error", "Command Error",
                         "", "Power On"};
const Names kQuesBitNames{"Time has been Reset", "Customer Set Alarm"};

// A bit beyond its table's names is shown by its number, so the decode still says what it found.
std::string bitName(const Names& names, int bit) {
    if (bit < static_cast<int>(names.size())) return names[bit];
    return "(bit " + std::to_string(bit) + ")";
}

constexpr int kNone = 0;  // index 0 of the values never holds a register

// One enable/event register pair, with its transition filters where it has them.
struct RegisterPair {
    int enable, event, positive = kNone, negative = kNone;
};

class Decoder {
public:
    explicit Decoder(AlarmQueryValues values) : s_(values) {}

    std::string run() {
        bool summaryFound = false;
        walk({1, 2}, 7, [&](int bit, const std::string&) {
            if (bit == 7) {
                summaryFound = true;
                out_ += "\r\nOPERATION SUMMARY:";
                walk({7, 8, 16, 15}, 7, [&](int b, const std::string& marks) { operationBit(b, marks); });
            } else if (bit == 5) {
                summaryFound = true;
                out_ += "\r\nSTANDARD EVENT SUMMARY:";
                walk({5, 6}, 8, [&](int b, const std::string&) { out_ += "\r\n     " + bitName(kEsrBitNames, b); });
            } else if (bit == 3) {
                summaryFound = true;
                out_ += "\r\nQUESTIONABLE SUMMARY:";
                walk({3, 4, 24, 23}, 3, causeLines(5, kQuesBitNames));
            }
        });
        if (!summaryFound) out_ += "None ";
        return out_;
    }

private:
    using Action = std::function<void(int bit, const std::string& marks)>;

    // Visits the bits active in both registers from `topBit` down, subtracting each weight from
    // the top so that values wider than the walk still decode their low bits.
    void walk(RegisterPair r, int topBit, const Action& onActive) {
        for (int bit = topBit; bit >= 0; --bit) {
            const RegisterValue weight = RegisterValue{1} << bit;
            const bool active = s_[r.enable] >= weight && s_[r.event] >= weight;
            std::string marks;
            if (r.positive != kNone && s_[r.positive] >= weight) marks += "+";
            if (r.negative != kNone && s_[r.negative] >= weight) marks += "-";
            if (active) onActive(bit, marks);
            for (int index : {r.enable, r.event, r.positive, r.negative})
                if (index != kNone && s_[index] >= weight) s_[index] -= weight;
        }
    }

    Action causeLines(int indent, const Names& names) {
        return [this, indent, &names](int bit, const std::string& marks) {
            out_ += "\r\n" + std::string(indent, ' ') + bitName(names, bit) + marks;
        };
    }

    void operationBit(int bit, const std::string& marks) {
        switch (bit) {
            case 0:
                out_ += "\r\n    POWERUP SUMMARY:";
                walk({9, 10, 22, 21}, 3, causeLines(8, kPowBitNames));
                break;
            case 2:
                out_ += "\r\n    HOLDOVER SUMMARY:";
                walk({11, 12, 20, 19}, 4, causeLines(8, kHoldBitNames));
                break;
            case 5:
                out_ += "\r\n    HARDWARE SUMMARY:";
                walk({13, 14, 18, 17}, 13, causeLines(8, kHardBitNames));
                break;
            case 7: break;
            default: causeLines(5, kOperBitNames)(bit, marks);
        }
    }

    AlarmQueryValues s_;
    std::string out_;
};

}  // namespace

RegisterValue registerValue(const std::string& reply) {
    constexpr double kLimit = 9223372036854775807.0;  // 2 to the power 63
    const double value = leadingNumber(reply);
    if (value >= kLimit) return std::numeric_limits<RegisterValue>::max();
    if (value <= -kLimit) return std::numeric_limits<RegisterValue>::min();
    return static_cast<RegisterValue>(roundHalfEven(value));
}

std::string bitPattern(RegisterValue value, int width) {
    const bool fits = value >= 0 && (width >= 63 || value < (RegisterValue{1} << width));
    // Beyond the pattern, the digits are those of the low bits, as a two's-complement register.
    RegisterValue rest =
        fits ? value
             : static_cast<RegisterValue>(static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << width) - 1));
    std::string digits;
    for (int bit = width; bit >= 1; --bit) {
        const RegisterValue weight = RegisterValue{1} << (bit - 1);
        if (rest < weight) {
            digits += '0';
        } else {
            digits += '1';
            rest -= weight;
        }
    }
    if (!fits) digits += " (= " + std::to_string(value) + ")";
    return digits;
}

std::string decodeAlarmCauses(AlarmQueryValues values) { return Decoder(values).run(); }

std::vector<std::string> conditionNames(ConditionRegister reg, RegisterValue value) {
    static const std::array<const Names*, 5> kNamesOf{&kOperBitNames, &kHoldBitNames, &kHardBitNames, &kPowBitNames,
                                                      &kQuesBitNames};
    const Names& names = *kNamesOf[static_cast<std::size_t>(reg)];
    std::vector<std::string> set;
    if (value < 0) return set;  // not a register's reply
    for (int bit = 0; bit < 16; ++bit) {
        // A bit its table leaves unnamed (a summary of a register below) is no condition of its own.
        if (((value >> bit) & 1) && !bitName(names, bit).empty()) set.push_back(bitName(names, bit));
    }
    return set;
}

}  // namespace kestrix
