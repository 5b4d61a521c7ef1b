#include <gtest/gtest.h>

#include <string>

#include "mciservice/MciService.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/support/media/LoopbackRadio.h"

namespace kelto::mciservice {
namespace {

using testsupport::Answer;
using testsupport::Send;
using testsupport::WaitUntil;

bool Stopped(MciService& service, const char* alias) {
    return Send(service, std::string("status ") + alias + " mode").reply == "stopped";
}

// A station on a real streaming server opens and plays at once, has no
// length, moves on in time, announces each new song, and when the server goes
// away the stream stops with the reason given. Beside it, a port where nothing
// listens and a server that never answers hold up no command: their open and
// play return at once and the failure comes later, as the stream's end.
TEST(StationTest, PlaysLiveWithItsSongsAndStopsWhenTheServerGoesOrNeverAnswers) {
    testing::LoopbackRadio radio;
    testing::SilentServer silent;
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(testing::LoopbackRadio::ClosedPort()) + "/x.mp3";
    radio.Announce("Band", "First Song");
    MciService service;
    ASSERT_EQ(Send(service, "open " + silent.Address() + " type mpegvideo alias silent").code, 0U);
    ASSERT_EQ(Send(service, "play silent").code, 0U);
    ASSERT_EQ(Send(service, "open " + refused + " type mpegvideo alias refused").code, 0U);
    ASSERT_EQ(Send(service, "play refused").code, 0U);
    ASSERT_EQ(Send(service, "open " + radio.Address() + " type mpegvideo alias radio").code, 0U);
    EXPECT_EQ(Send(service, "status radio length").code, 274U);
    EXPECT_EQ(Send(service, "play radio from 0 to 100").code, 282U);
    EXPECT_EQ(Send(service, "seek radio to 0").code, 274U);
    ASSERT_EQ(Send(service, "play radio").code, 0U);
    EXPECT_EQ(Send(service, "status radio mode").reply, "playing");
    ASSERT_TRUE(WaitUntil([&] {
        const Answer position = Send(service, "status radio position");
        return position.code == 0 && std::stoll(position.reply) > 1500;
    })) << service.StreamFailure("radio");
    radio.Announce("Band", "Second Song");
    EXPECT_TRUE(WaitUntil([&] {
        return service.Tags("radio").title.find("Second Song") != std::string::npos;
    })) << service.Tags("radio").title;
    EXPECT_EQ(service.StreamFailure("radio"), "");

    radio.StopServer();
    ASSERT_TRUE(WaitUntil([&] { return Stopped(service, "radio"); }));
    EXPECT_EQ(service.StreamFailure("radio").rfind("The station stopped sending", 0), 0U)
        << service.StreamFailure("radio");
    for (const char* alias : {"refused", "silent"}) {
        SCOPED_TRACE(alias);
        ASSERT_TRUE(WaitUntil([&] { return Stopped(service, alias); }));
        EXPECT_EQ(service.StreamFailure(alias).rfind("The station cannot be reached", 0), 0U)
            << service.StreamFailure(alias);
    }
    EXPECT_EQ(Send(service, "close all").code, 0U);
}

}  // namespace
}  // namespace kelto::mciservice
