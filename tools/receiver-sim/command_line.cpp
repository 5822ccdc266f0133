#include "receiver-sim/command_line.h"

#include <functional>
#include <map>
#include <optional>

#include "kestrix_version.h"
#include "receiver-sim/scpi_parameters.h"

namespace kestrix::sim {

namespace {

std::optional<int> count(const std::string& text) {
    const auto value = parseInteger(text);
    if (!value || *value < 0 || *value > 1000000000) return std::nullopt;
    return static_cast<int>(*value);
}

using ValueHandler = std::function<bool(CommandLine&, const std::string&)>;

ValueHandler countInto(int SimOptions::*field) {
    return [field](CommandLine& c, const std::string& v) {
        const auto n = count(v);
        if (n) c.options.*field = *n;
        return n.has_value();
    };
}

ValueHandler millisecondsInto(std::chrono::milliseconds SimOptions::*field) {
    return [field](CommandLine& c, const std::string& v) {
        const auto n = count(v);
        if (n) c.options.*field = std::chrono::milliseconds{*n};
        return n.has_value();
    };
}

ValueHandler textInto(std::string Identity::*field) {
    return [field](CommandLine& c, const std::string& v) {
        c.options.identity.*field = v;
        return !v.empty();
    };
}

const std::map<std::string, ValueHandler>& valueFlags() {
    static const std::map<std::string, ValueHandler> flags{
        {"--link",
         [](CommandLine& c, const std::string& v) {
             c.linkPath = v;
             return !v.empty();
         }},
        {"--manufacturer", textInto(&Identity::manufacturer)},
        {"--model", textInto(&Identity::model)},
        {"--serial-number", textInto(&Identity::serialNumber)},
        {"--firmware", textInto(&Identity::firmware)},
        {"--port",
         [](CommandLine& c, const std::string& v) {
             c.options.serialPort = v == "2" ? 2 : 1;
             return v == "1" || v == "2";
         }},
        {"--line",
         [](CommandLine& c, const std::string& v) {
             const auto line = parseLineSettings(v);
             if (line) c.options.line = *line;
             return line.has_value();
         }},
        {"--erase-ms", millisecondsInto(&SimOptions::eraseTime)},
        {"--silent", countInto(&SimOptions::silentLines)},
        {"--error-on-line", countInto(&SimOptions::errorOnLine)},
        {"--error-fraction",
         [](CommandLine& c, const std::string& v) {
             const auto share = parseNumber(v);
             if (share && *share >= 0 && *share <= 1) c.options.errorFraction = *share;
             return share && *share >= 0 && *share <= 1;
         }},
        {"--error-code",
         [](CommandLine& c, const std::string& v) {
             const auto code = parseInteger(v);
             if (code && *code < 0 && *code > -1000) c.options.injectedErrorCode = static_cast<int>(*code);
             return code && *code < 0 && *code > -1000;
         }},
        {"--garbage", countInto(&SimOptions::garbageBeforeReply)},
        {"--hang-up-on-line", countInto(&SimOptions::hangUpOnLine)},
        {"--hardware-fault",
         [](CommandLine& c, const std::string& v) {
             const auto bit = count(v);
             if (bit && *bit <= 12) c.options.hardwareFaults |= static_cast<std::uint16_t>(1u << *bit);
             return bit && *bit <= 12;
         }},
        {"--replay",
         [](CommandLine& c, const std::string& v) {
             c.replayPath = v;
             return !v.empty();
         }},
        {"--chunk", countInto(&SimOptions::chunkSize)},
        {"--chunk-pause-ms", millisecondsInto(&SimOptions::chunkPause)},
    };
    return flags;
}

const std::map<std::string, std::function<void(CommandLine&)>>& switchFlags() {
    static const std::map<std::string, std::function<void(CommandLine&)>> flags{
        {"--echo", [](CommandLine& c) { c.options.echoAtStart = true; }},
        {"--alarm-on-faults", [](CommandLine& c) { c.options.alarmOnFaults = true; }},
        {"--line-speed", [](CommandLine& c) { c.options.emulateLineSpeed = true; }},
        {"--trace", [](CommandLine& c) { c.trace = true; }},
        {"--help", [](CommandLine& c) { c.help = true; }},
        {"-h", [](CommandLine& c) { c.help = true; }},
        {"--version", [](CommandLine& c) { c.version = true; }},
    };
    return flags;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string flag = arguments[i];
        std::optional<std::string> value;
        if (const auto equals = flag.find('='); flag.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = flag.substr(equals + 1);
            flag.resize(equals);
        }
        if (const auto s = switchFlags().find(flag); s != switchFlags().end() && !value) {
            s->second(result);
            continue;
        }
        const auto v = valueFlags().find(flag);
        if (v == valueFlags().end()) {
            result.error = "unknown option " + arguments[i];
            return result;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                result.error = flag + " needs a value";
                return result;
            }
            value = arguments[++i];
        }
        if (!v->second(result, *value)) {
            result.error = "invalid value for " + flag + ": " + *value;
            return result;
        }
    }
    if (!result.help && !result.version && result.linkPath.empty()) result.error = "--link PATH is required";
    return result;
}

std::string usageText() {
    return "usage: kestrix-receiver-sim --link PATH [options]\n"
           "Plays a Morvandelle GPS timing receiver on a pseudo-terminal whose slave PATH links to.\n"
           "Prints PATH once the receiver is listening and serves until SIGINT or SIGTERM.\n"
           "SIGUSR1 silences the receiver; the next SIGUSR1 lets it answer again.\n"
           "SIGUSR2 mends its hardware faults; the next SIGUSR2 brings them back.\n"
           "\n"
           "The receiver:\n"
           "  --model NAME            model in the *idn? reply (73408K)\n"
           "  --manufacturer NAME     manufacturer (Morvandelle)\n"
           "  --serial-number TEXT    serial number (MDL-26-00417)\n"
           "  --firmware REV          firmware revision (R7.c)\n"
           "  --port 1|2              serial port the receiver talks on (1)\n"
           "  --line B,P,D,S          its speed and framing (9600,n,8,1)\n"
           "  --echo                  echo on from the start\n"
           "  --erase-ms N            time diag:eras takes (2000)\n"
           "  --replay FILE           play back a session record that Kestrix wrote: each command\n"
           "                          gets the recorded receiver's answer to it, in recorded order\n"
           "                          when it was asked several times, then the last again\n"
           "Faults (line counts start at the first line received):\n"
           "  --silent N              ignore the first N lines entirely\n"
           "  --error-on-line N       answer line N with an error prompt\n"
           "  --error-fraction F      answer this share of lines with an error prompt (0 to 1)\n"
           "  --error-code N          the error those lines queue (-310)\n"
           "  --garbage N             send N noise bytes before every reply\n"
           "  --hang-up-on-line N     close the line when line N arrives\n"
           "  --hardware-fault BIT    hardware status bit BIT (0 to 12) at fault from power-on;\n"
           "                          repeat for more (9: GPS receiver failure)\n"
           "  --alarm-on-faults       power up with the alarm enabled for hardware faults and\n"
           "                          questionable events (*SRE, operation and hardware masks)\n"
           "Timing:\n"
           "  --chunk N               write output N bytes at a time\n"
           "  --chunk-pause-ms N      pause between those writes\n"
           "  --line-speed            let characters flow at the line's rate\n"
           "  --trace                 show the traffic on standard error\n"
           "\n"
           "  --help, -h              print this text and end\n"
           "  --version               print the version and end\n";
}

std::string versionText() { return "kestrix-receiver-sim " KESTRIX_VERSION "\n"; }

}  // namespace kestrix::sim
