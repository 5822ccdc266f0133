// Faults the reply-path fuzzer found in the link's exchange bookkeeping, kept as regression tests.

#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

// Closing the port while a Control & Query command waits for its reply leaves the command
// without an outcome, and "Send Cmd" disabled for good.
TEST(LinkReproducers, ClosingThePortEndsAPendingCommand) {
    testing::Rig rig;
    rig.connect();
    rig.form1.disableUpdates.checked = true;
    FrmShowLog& window = rig.forms.frmShowLog;
    window.cmbSendSCPI.text = "*idn?";
    window.cmdSendSCPI.onClick();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "*idn?\r\n");
    rig.openPort();  // closes it
    rig.ticks(3);
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_NE(window.txtShowLog.text().find("\r\nreply: "), std::string::npos) << window.txtShowLog.text();
}

}  // namespace
}  // namespace kestrix
