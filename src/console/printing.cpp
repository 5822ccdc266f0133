#include "console/printing.h"

namespace kestrix {

// Not yet printing: the print dialog, the page loop and the progress window come with the
// printing of the terminal session. Until then the command does nothing.
void printText(Context&, Window&, TextBox&, const std::string&) {}

}  // namespace kestrix
