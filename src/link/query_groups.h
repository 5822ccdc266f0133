#pragma once

#include <string>

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

}  // namespace kestrix
