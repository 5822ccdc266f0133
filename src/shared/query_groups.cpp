#include "shared/query_groups.h"

#include <array>
#include <vector>

namespace kestrix {

namespace {

const std::array<std::vector<const char*>, 9> kQueryTable{{
    {},
    {":STAT:OPER:HOLD:COND?", ":STAT:OPER:HARD:COND?", ":STAT:OPER:POW:COND?", ":STAT:OPER:COND?", ":STAT:QUES:COND?",
     "*ESR?", "*STB?"},
    {":STAT:OPER:HOLD:EVEN?", ":STAT:OPER:HARD:EVEN?", ":STAT:OPER:POW:EVEN?", ":STAT:OPER:EVEN?", ":STAT:QUES:EVEN?",
     "*ESR?"},
    {":STAT:OPER:HOLD:ENAB?", ":STAT:OPER:HARD:ENAB?", ":STAT:OPER:POW:ENAB?", ":STAT:OPER:ENAB?", ":STAT:QUES:ENAB?",
     "*ESE?", "*SRE?"},
    {":STAT:OPER:HOLD:PTR?", ":STAT:OPER:HARD:PTR?", ":STAT:OPER:POW:PTR?", ":STAT:OPER:PTR?", ":STAT:QUES:PTR?"},
    {":STAT:OPER:HOLD:NTR?", ":STAT:OPER:HARD:NTR?", ":STAT:OPER:POW:NTR?", ":STAT:OPER:NTR?", ":STAT:QUES:NTR?"},
    {},
    {},
    {"*sre?",
     "*stb?",
     ":stat:ques:enab?",
     ":stat:ques:even?",
     "*ese?",
     "*esr?",
     ":stat:oper:enab?",
     ":stat:oper:even?",
     ":stat:oper:pow:enab?",
     ":stat:oper:pow:even?",
     ":stat:oper:hold:enab?",
     ":stat:oper:hold:even?",
     ":stat:oper:hard:enab?",
     ":stat:oper:hard:even?",
     ":stat:oper:ntr?",
     ":stat:oper:ptr?",
     ":stat:oper:hard:ntr?",
     ":stat:oper:hard:ptr?",
     ":stat:oper:hold:ntr?",
     ":stat:oper:hold:ptr?",
     ":stat:oper:pow:ntr?",
     ":stat:oper:pow:ptr?",
     ":stat:ques:ntr?",
     ":stat:ques:ptr?"},
}};

constexpr std::array<int, 8> kBitWidth{0, 4, 13, 3, 7, 4, 7, 8};

}  // namespace

int queryCount(int group) {
    if (group < 0 || group >= static_cast<int>(kQueryTable.size())) return 0;
    return static_cast<int>(kQueryTable[group].size());
}

std::string queryCommand(int group, int index) {
    if (index < 1 || index > queryCount(group)) return {};
    return kQueryTable[group][index - 1];
}

int bitWidth(int index) {
    if (index < 1 || index >= static_cast<int>(kBitWidth.size())) return 0;
    return kBitWidth[index];
}

void beginQueryGroup(LinkState& state, int group) {
    state.queryGroup = group;
    state.queryIndex = 1;
    state.groupError = false;
    state.sendRequest = true;
}

}  // namespace kestrix
