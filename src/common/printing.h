#pragma once

#include <string>

#include "state/context.h"
#include "state/frm_print_prog.h"

namespace kestrix {

// Prints the whole text of `source` in its font, page by page, in as many copies as the user
// asks for in the print dialog, each copy a job of its own, with the progress window
// `frmPrintProg` telling the page and copy; `caller`'s mouse pointer shows the hourglass
// meanwhile. A cancelled dialog or any failure of the printer ends in one "Print Aborted" box,
// with the progress window hidden, the pointer restored and the unfinished job dropped.
void printText(Context& ctx, Window& caller, TextBox& source, const std::string& title);

// Lines per page: the printable height in lines of the printer's font, less four. A line taller
// than a quarter of the page (or of no height at all) gives one line per page.
float pageQuota(int printableHeight, int lineHeight);

}  // namespace kestrix
