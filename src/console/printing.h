#pragma once

#include <string>

#include "program/context.h"

namespace kestrix {

// Prints the whole text of `source` in its font, page by page, in as many copies as the user
// asks for, with the progress window; `caller`'s mouse pointer shows the hourglass meanwhile.
void printText(Context& ctx, Window& caller, TextBox& source, const std::string& title);

}  // namespace kestrix
