#pragma once

#include "program/context.h"

namespace kestrix {

// The buttons of the two dialogs the download preparation shows: each hides its dialog and moves
// the preparation on (echo off next; the speed change, or past it).
void wirePreparationDialogs(Context& ctx);

}  // namespace kestrix
