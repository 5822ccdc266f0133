#pragma once

#include <string_view>

#include "state/context.h"

namespace kestrix {

// Appends a text, unchanged, to the Control & Query log and puts the caret at its end, so that
// the log shows its newest entry. Callers put the leading line end into the text themselves.
void appendToLog(Context& ctx, std::string_view text);

}  // namespace kestrix
