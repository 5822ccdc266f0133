#include "platform/serial_settings.h"

#include <gtest/gtest.h>

#include "platform/serial_port.h"

namespace kestrix::platform {
namespace {

TEST(SerialSettings, AcceptsOneLeadingBlankPerFieldAndEitherCaseAndReadsBackNormalised) {
    EXPECT_EQ(parseSerialSettings(" 9600,N, 8, 1").text(), "9600,n,8,1");
    EXPECT_EQ(parseSerialSettings("9600, e,7,2").text(), "9600,e,7,2");
    EXPECT_EQ(parseSerialSettings("115200,M,8,1").text(), "115200,m,8,1");
    for (const char* text : {"300,o,8,1", "300,O,8,1", "14400,s,8,1", "14400,S,8,1", "19200,n,8,1"})
        EXPECT_NO_THROW(parseSerialSettings(text)) << text;
}

TEST(SerialSettings, RefusesMalformedTextsSayingWhatIsWrong) {
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"9600,x,8,1", "parity"},
        {"9600,NN,8,1", "parity"},
        {"9600,,8,1", "parity"},
        {"9600,N,9,1", "data bits"},
        {"9600,N,6,1", "data bits"},
        {"9600,N,8,3", "stop bits"},
        {",N,8,1", "baud rate"},
        {"9601,N,8,1", "baud rate"},
        {"  9600,N,8,1", "baud rate"},
        {"-9600,N,8,1", "baud rate"},
        {"9600,N,8,1 ", "stop bits"},
        {"9600,N,8", "separated by commas"},
        {"9600,N,8,1,1", "separated by commas"},
        {"", "separated by commas"},
    };
    for (const auto& c : cases) {
        try {
            parseSerialSettings(c.text);
            ADD_FAILURE() << "accepted \"" << c.text << "\"";
        } catch (const SerialError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("\"" + std::string(c.text) + "\""), std::string::npos) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
}

}  // namespace
}  // namespace kestrix::platform
