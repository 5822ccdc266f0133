#pragma once

#include <string>

#include "shared/link_state.h"

namespace kestrix {

// The status-query groups that Control & Query runs one query per exchange: 1 conditions,
// 2 events, 3 enable masks, 4 positive and 5 negative transition filters, 8 alarm causes.
inline constexpr int kAlarmCauseGroup = 8;

// Number of queries of a group (0 for a group with none).
int queryCount(int group);
// The query at a 1-based index of a group; empty outside the table.
std::string queryCommand(int group, int index);
// Digits shown in the bit pattern of the reply to query `index` of groups 1 to 5.
int bitWidth(int index);

// Makes `group` the running group from its first query, to be sent at the scheduler's next idle
// tick. The caller has disabled the send button, which the group's end enables again.
void beginQueryGroup(LinkState& state, int group);

}  // namespace kestrix
