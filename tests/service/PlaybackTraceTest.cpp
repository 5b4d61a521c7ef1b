#include <glib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "mciservice/MciService.h"
#include "mciservice/TraceSink.h"
#include "tests/service/ServiceTestSupport.h"

namespace kelto::mciservice {
namespace {

using testsupport::Clip;
using testsupport::Send;
using Kind = TraceSink::Kind;

// Keeps the lines of the kinds it wants, split into their first word, the
// microseconds and the rest; first-frame comes from a streaming thread.
class RecordingSink final : public TraceSink {
public:
    struct Line {
        std::string name;
        long long micros = 0;
        std::string rest;
    };

    explicit RecordingSink(bool wantsCommands) : wantsCommands_(wantsCommands) {}
    bool Wants(Kind kind) const override { return kind == Kind::Mark || wantsCommands_; }
    void Write(Kind kind, std::string_view text) override {
        std::istringstream words{std::string(text)};
        Line line;
        words >> line.name >> line.micros;
        std::getline(words, line.rest);
        const std::lock_guard lock(mutex_);
        (kind == Kind::Mark ? marks_ : commands_).push_back(line);
    }
    std::vector<Line> Lines(Kind kind) const {
        const std::lock_guard lock(mutex_);
        return kind == Kind::Mark ? marks_ : commands_;
    }

private:
    const bool wantsCommands_;
    mutable std::mutex mutex_;
    std::vector<Line> marks_, commands_;
};

void PlayVideoAndSeek(MciService& service, const std::string& clip) {
    Send(service, "open \"" + clip + "\" type MPEGVideo alias movie");
    Send(service, "status movie mode");
    Send(service, "PLAY movie");
    Send(service, "seek movie to start");
    Send(service, "play movie");
    Send(service, "close movie");
}

TEST(PlaybackTraceTest, MarksRequestsTheFirstPictureAndEveryAnsweredCommand) {
    const std::string clip = Clip(testing::ClipKind::Mpeg1).string();
    MciService service;
    RecordingSink sink(true);
    const long long before = g_get_monotonic_time();
    SetTraceSink(&sink);
    PlayVideoAndSeek(service, clip);
    const std::uint32_t unknown = Send(service, "frobnicate movie").code;
    const std::uint32_t broken = Send(service, "status all\r\nmode").code;
    SetTraceSink(nullptr);
    const long long after = g_get_monotonic_time();
    PlayVideoAndSeek(service, clip);  // with no sink, traced nowhere

    // The picture comes while the file is opened, and only once although the
    // seek sends the pictures again.
    const auto marks = sink.Lines(Kind::Mark);
    ASSERT_EQ(marks.size(), 4u);
    const char* const names[] = {"open-request", "first-frame", "play-request", "play-request"};
    long long last = before;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].name, names[i]);
        EXPECT_EQ(marks[i].rest, "");
        EXPECT_GE(marks[i].micros, last) << names[i];
        EXPECT_LE(marks[i].micros, after) << names[i];
        last = marks[i].micros;
    }

    const std::string answered[] = {
        " 0 open \"" + clip + "\" type MPEGVideo alias movie",
        " 0 status movie mode",
        " 0 PLAY movie",
        " 0 seek movie to start",
        " 0 play movie",
        " 0 close movie",
        " " + std::to_string(unknown) + " frobnicate movie",
        // A line break in a command must not start a line of its own.
        " " + std::to_string(broken) + " status all  mode",
    };
    EXPECT_NE(unknown, 0u);
    const auto commands = sink.Lines(Kind::Command);
    ASSERT_EQ(commands.size(), std::size(answered));
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].name, "command");
        EXPECT_EQ(commands[i].rest, answered[i]);
        EXPECT_GE(commands[i].micros, before) << answered[i];
        EXPECT_LE(commands[i].micros, after) << answered[i];
    }
}

TEST(PlaybackTraceTest, SoundWithoutPictureHasNoFirstFrameAndUnwantedKindsAreNotWritten) {
    MciService service;
    RecordingSink sink(false);
    SetTraceSink(&sink);
    Send(service, "open \"" + Clip(testing::ClipKind::Mp3).string() + "\" alias a");
    Send(service, "play a wait");
    Send(service, "pause a");
    Send(service, "close a");
    SetTraceSink(nullptr);

    const auto marks = sink.Lines(Kind::Mark);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].name, "open-request");
    EXPECT_EQ(marks[1].name, "play-request");
    EXPECT_EQ(marks[2].name, "pause-request");
    EXPECT_TRUE(sink.Lines(Kind::Command).empty());
}

}  // namespace
}  // namespace kelto::mciservice
