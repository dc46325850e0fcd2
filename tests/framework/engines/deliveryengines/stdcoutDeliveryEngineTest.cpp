#include "engines/deliveryengines/stdcoutDeliveryEngine.h"
#include "rows-and-blocks/translatedblocks/StreamTranslatedBlock.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Tarvel;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(stdcoutDeliveryEngineTest, WritesBytesUnformattedIncludingZeros) {
    std::ostringstream stream;
    stdcoutDeliveryEngine engine(stream);
    StreamTranslatedBlock first, second;
    first.PutBytes("\0\x1B"
                   "E",
                   3);
    second << static_cast<unsigned long>(10);
    engine.StartDelivery();
    engine.Deliver(&first);
    engine.Deliver(&second);
    CaptureStderr();
    engine.EndDelivery();
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(stream.str(), std::string("\0\x1B"
                                        "E\0\0\0\n",
                                        7));
}

TEST(stdcoutDeliveryEngineTest, ReportsAStreamThatFailed) {
    std::ostringstream stream;
    stream.setstate(std::ios::badbit);
    stdcoutDeliveryEngine engine(stream);
    StreamTranslatedBlock block;
    block << "x";
    engine.Deliver(&block);
    CaptureStderr();
    engine.EndDelivery();
    EXPECT_NE(GetCapturedStderr().find("stdcoutDeliveryEngine"), std::string::npos);
}
