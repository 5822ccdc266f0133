#pragma once

#include "shared/controls.h"

namespace kestrix {

// The small progress window shown while a text is printed.
struct FrmPrintProg : Window {
    FrmPrintProg() : Window("frmPrintProg", "Print") {
        dialog = true;
        geometry = {4000, 4000, 4200, 1100};
        txtPrintPage.geometry = {120, 120, 3800, 330};
        txtPrintPage.readOnly = true;
        controls = {&txtPrintPage};
    }
    TextBox txtPrintPage{"txtPrintPage"};
};

}  // namespace kestrix
