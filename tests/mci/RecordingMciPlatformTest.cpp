#include "tests/support/fakes/RecordingMciPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

namespace kelto::testing {
namespace {

std::string Send(RecordingMciPlatform& fake, const std::string& command,
                 std::uint32_t* code = nullptr) {
    std::array<char, 128> reply{};
    const std::uint32_t result = fake.mciSendStringA(command, reply.data(), 128, 0);
    if (code != nullptr) {
        *code = result;
    }
    return std::string(reply.data());
}

TEST(RecordingMciPlatformTest, QueuedRepliesRunInOrderAndTheLastRepeats) {
    RecordingMciPlatform fake;
    fake.answer("status movie position", {"10", "20"});
    fake.script("status movie mode", {Reply::ok("playing"), Reply::error(263)});
    EXPECT_EQ(Send(fake, "status movie position"), "10");
    EXPECT_EQ(Send(fake, "status movie position   "), "20");  // trailing blanks ignored
    EXPECT_EQ(Send(fake, "status movie position"), "20");
    fake.then("status movie position", "30");
    EXPECT_EQ(Send(fake, "status movie position"), "30");

    std::uint32_t code = 99;
    EXPECT_EQ(Send(fake, "status movie mode", &code), "playing");
    EXPECT_EQ(code, 0u);
    Send(fake, "status movie mode", &code);
    EXPECT_EQ(code, 263u);
    EXPECT_EQ(Send(fake, "Status movie mode", &code), "");  // exact match only
    EXPECT_EQ(code, 0u);

    fake.setHook([](const std::string& command) -> std::optional<Reply> {
        if (command == "status movie mode") {
            return Reply::ok("paused");
        }
        return std::nullopt;
    });
    EXPECT_EQ(Send(fake, "status movie mode"), "paused");
    EXPECT_EQ(Send(fake, "status movie position"), "30");
    EXPECT_EQ(fake.count("status movie position"), 5u);
}

TEST(RecordingMciPlatformTest, HonoursBufferCapacities) {
    RecordingMciPlatform fake;
    fake.answer("where", std::string(200, 'w').c_str());
    std::array<char, 128> reply;
    reply.fill('#');
    fake.mciSendStringA("where", reply.data(), 128, 0);
    EXPECT_EQ(std::string(reply.data()), std::string(127, 'w'));
    EXPECT_EQ(fake.calls().back().written.size(), 127u);

    std::array<char, 8> tiny;
    tiny.fill('#');
    fake.setShortPath("/a", std::string(8, 's'));
    EXPECT_EQ(fake.GetShortPathNameA("/a", tiny.data(), 8), 9u);  // size needed, NUL included
    EXPECT_EQ(tiny[0], '#');
    EXPECT_EQ(fake.GetShortPathNameA("", tiny.data(), 8), 0u);
    EXPECT_EQ(fake.GetShortPathNameA("/b", tiny.data(), 8), 2u);
    EXPECT_EQ(std::string(tiny.data()), "/b");

    std::array<char, 10> error{};
    EXPECT_TRUE(fake.mciGetErrorStringA(263, error.data(), 10));
    EXPECT_EQ(std::string(error.data()), "The speci");
    EXPECT_FALSE(fake.mciGetErrorStringA(1, error.data(), 10));
}

}  // namespace
}  // namespace kelto::testing
