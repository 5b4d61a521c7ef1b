#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mci/CommandResult.h"
#include "mci/ModuleMultimedia.h"
#include "tests/support/fakes/RecordingMciPlatform.h"

namespace kelto::mci {
namespace {

using testing::CallKind;
using testing::PlatformCall;
using testing::RecordingMciPlatform;

std::string Padded(const std::string& text, std::size_t length) {
    std::string result = text;
    result.resize(length, ' ');
    return result;
}

std::string ErrorBuffer(const std::string& text) {
    std::string buffer(128, '\0');
    buffer.replace(0, text.size(), text);
    return buffer;
}

const std::string kNotOpen = "The specified device is not open or is not recognized by MCI.";
const std::string kOutOfRange =
    "The specified parameter is out of range for the specified command.";

class ModuleMultimediaCommandTest : public ::testing::Test {
protected:
    RecordingMciPlatform fake;
    ModuleMultimedia mci{fake};
};

// What each operation sends, byte for byte, and the reply capacity of each
// command (0 means no buffer at all).
struct Expected {
    std::string command;
    std::uint32_t capacity;
};

struct CommandCase {
    const char* name;
    std::function<void(ModuleMultimedia&)> call;
    std::vector<Expected> sent;
};

TEST_F(ModuleMultimediaCommandTest, SendsEveryCommandExactly) {
    const std::string open =
        "open /media/clip.mpg type MPEGVideo Alias movie parent 1234 Style 1073741824";
    const std::vector<CommandCase> cases = {
        {"open",
         [](auto& m) { m.OpenMedia(1234, "movie", "/media/clip.mpg", "MPEGVideo"); },
         {{Padded(open, 255), 0}}},
        {"open negative parent",
         [](auto& m) { m.OpenMedia(-7, "a", "/x", "waveaudio"); },
         {{Padded("open /x type waveaudio Alias a parent -7 Style 1073741824", 255), 0}}},
        {"play whole file",
         [](auto& m) { m.PlayMedia("movie", "", ""); },
         {{"set movie time format frames", 128},
          {"status movie length", 128},
          {Padded("play movie from 0 to 250", 128), 0}}},
        {"play range unchanged",
         [](auto& m) { m.PlayMedia("movie", "10", " 20x"); },
         {{Padded("play movie from 10 to  20x", 128), 0}}},
        {"play from only",
         [](auto& m) { m.PlayMedia("movie", "", "99"); },
         {{Padded("play movie from 0 to 99", 128), 0}}},
        {"close", [](auto& m) { m.CloseMedia("movie"); }, {{"Close movie", 0}}},
        {"pause", [](auto& m) { m.PauseMedia("movie"); }, {{"Pause movie", 0}}},
        {"stop", [](auto& m) { m.StopMedia("movie"); }, {{"Stop movie", 0}}},
        {"resume", [](auto& m) { m.ResumeMedia("movie"); }, {{"Resume movie", 0}}},
        {"close all", [](auto& m) { m.CloseAllMedia(); }, {{"Close All", 0}}},
        {"seek and play",
         [](auto& m) { m.SeekAndPlay("movie", 120); },
         {{"seek movie to 120", 0}, {"Play movie", 0}}},
        {"seek negative",
         [](auto& m) { m.SeekAndPlay("movie", -3); },
         {{"seek movie to -3", 0}, {"Play movie", 0}}},
        {"put window",
         [](auto& m) { m.PutVideoWindow(9, "movie", 1, -2, 320, 240); },
         {{"put movie window at 1 -2 320 240", 0}}},
        {"where",
         [](auto& m) { m.GetDestinationSize("movie", "cx"); },
         {{"Where movie destination", 128}}},
        {"speed normal",
         [](auto& m) { m.SetPlaySpeed("movie", 100); },
         {{Padded("set movie speed 1000", 128), 0}}},
        {"speed slow",
         [](auto& m) { m.SetPlaySpeed("movie", 40); },
         {{Padded("set movie speed 400", 128), 0}}},
        {"length frames",
         [](auto& m) { m.GetLengthFrames("movie"); },
         {{"set movie time format frames", 128}, {"status movie length", 128}}},
        {"length ms",
         [](auto& m) { m.GetLengthMs("movie"); },
         {{"set movie time format ms", 128},
          {"status movie length", 128},
          {"set movie time format frames", 0}}},
        {"position", [](auto& m) { m.GetPosition("movie"); }, {{"status movie position", 128}}},
        {"percent",
         [](auto& m) { m.GetPercentPlayed("movie"); },
         {{"set movie time format frames", 128},
          {"status movie length", 128},
          {"status movie position", 128}}},
        {"frame rate",
         [](auto& m) { m.GetFramesPerSecond("movie"); },
         {{"set movie time format ms", 128},
          {"status movie length", 128},
          {"set movie time format frames", 0},
          {"set movie time format frames", 128},
          {"status movie length", 128}}},
        {"speed status",
         [](auto& m) { m.GetPlaySpeed("movie"); },
         {{Padded("status movie speed", 128), 128}}},
        {"at end, length unknown",
         [](auto& m) {
             std::int32_t length = 0;
             m.IsAtEnd("movie", length);
         },
         {{"set movie time format frames", 128},
          {"status movie length", 128},
          {"status movie position", 128}}},
        {"at end, length known",
         [](auto& m) {
             std::int32_t length = 250;
             m.IsAtEnd("movie", length);
         },
         {{"status movie position", 128}}},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake.clear();
        fake.answer("status movie length", "250");
        c.call(mci);
        const std::vector<PlatformCall> sends = fake.sends();
        ASSERT_EQ(sends.size(), c.sent.size());
        for (std::size_t i = 0; i < sends.size(); ++i) {
            EXPECT_EQ(sends[i].text, c.sent[i].command) << "command " << i;
            EXPECT_EQ(sends[i].capacity, c.sent[i].capacity) << "command " << i;
            EXPECT_EQ(sends[i].nullBuffer, c.sent[i].capacity == 0) << "command " << i;
            EXPECT_EQ(sends[i].window, 0) << "command " << i;
        }
    }
}

TEST_F(ModuleMultimediaCommandTest, FixedLengthCommandsArePaddedOrCut) {
    // Each builder makes a command of exactly `length` characters by growing
    // one argument.
    struct FixedCase {
        const char* name;
        std::size_t width;
        std::function<std::string(std::size_t length)> build;  // returns the built command
    };
    const std::string openTail = " type MPEGVideo Alias movie parent 1234 Style 1073741824";
    const std::vector<FixedCase> cases = {
        {"open", 255,
         [&](std::size_t length) {
             const std::string path(length - 5 - openTail.size(), 'p');
             mci.OpenMedia(1234, "movie", path, "MPEGVideo");
             return "open " + path + openTail;
         }},
        {"play", 128,
         [&](std::size_t length) {
             const std::string alias(length - std::string("play  from 0 to 1").size(), 'a');
             mci.PlayMedia(alias, "0", "1");
             return "play " + alias + " from 0 to 1";
         }},
        {"set speed", 128,
         [&](std::size_t length) {
             const std::string alias(length - std::string("set  speed 1000").size(), 'a');
             mci.SetPlaySpeed(alias, 100);
             return "set " + alias + " speed 1000";
         }},
        {"status speed", 128,
         [&](std::size_t length) {
             const std::string alias(length - std::string("status  speed").size(), 'a');
             mci.GetPlaySpeed(alias);
             return "status " + alias + " speed";
         }},
    };
    for (const FixedCase& c : cases) {
        for (std::size_t length : {c.width - 1, c.width, c.width + 1}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(length));
            fake.clear();
            const std::string built = c.build(length);
            ASSERT_EQ(built.size(), length);
            ASSERT_EQ(fake.commands().size(), 1u);
            const std::string sent = fake.commands().front();
            EXPECT_EQ(sent.size(), c.width);
            if (length < c.width) {
                EXPECT_EQ(sent, built + " ");
            } else {
                EXPECT_EQ(sent, built.substr(0, c.width));
            }
        }
    }
}

TEST_F(ModuleMultimediaCommandTest, ResultIsSuccessOrTheWholeErrorBuffer) {
    struct WrapperCase {
        const char* name;
        std::string command;  // trimmed
        std::function<std::string(ModuleMultimedia&)> call;
    };
    const std::vector<WrapperCase> cases = {
        {"open", "open /f type MPEGVideo Alias movie parent 1 Style 1073741824",
         [](auto& m) { return m.OpenMedia(1, "movie", "/f", "MPEGVideo"); }},
        {"play", "play movie from 0 to 5", [](auto& m) { return m.PlayMedia("movie", "0", "5"); }},
        {"close", "Close movie", [](auto& m) { return m.CloseMedia("movie"); }},
        {"pause", "Pause movie", [](auto& m) { return m.PauseMedia("movie"); }},
        {"stop", "Stop movie", [](auto& m) { return m.StopMedia("movie"); }},
        {"resume", "Resume movie", [](auto& m) { return m.ResumeMedia("movie"); }},
        {"close all", "Close All", [](auto& m) { return m.CloseAllMedia(); }},
        {"put", "put movie window at 0 0 4 3",
         [](auto& m) { return m.PutVideoWindow(1, "movie", 0, 0, 4, 3).value(); }},
        {"speed", "set movie speed 400",
         [](auto& m) { return m.SetPlaySpeed("movie", 40).value(); }},
    };
    for (const WrapperCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake.clear();
        fake.forget(c.command);
        const std::string ok = c.call(mci);
        EXPECT_EQ(ok, "Success");
        EXPECT_TRUE(IsSuccess(ok));

        fake.clear();
        fake.fail(c.command, 263);
        const std::string failed = c.call(mci);
        EXPECT_EQ(failed, ErrorBuffer(kNotOpen));
        EXPECT_FALSE(IsSuccess(failed));
        EXPECT_EQ(ResultDisplayText(failed), kNotOpen);
        // The error text is looked up once, right after the failed send.
        const std::vector<PlatformCall>& calls = fake.calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2].kind, CallKind::SendString);
        EXPECT_EQ(calls.back().kind, CallKind::GetErrorString);
        EXPECT_EQ(calls.back().code, 263u);
        EXPECT_EQ(calls.back().capacity, 128u);
        EXPECT_FALSE(calls.back().nullBuffer);
    }
}

TEST_F(ModuleMultimediaCommandTest, ErrorTextsThatAreUnknownOrTooLong) {
    fake.fail("Close movie", 999);
    const std::string unknown = mci.CloseMedia("movie");
    EXPECT_EQ(unknown, std::string(128, '\0'));
    EXPECT_FALSE(IsSuccess(unknown));

    fake.setErrorText(999, std::string(200, 'x'));
    const std::string cut = mci.CloseMedia("movie");
    EXPECT_EQ(cut, std::string(127, 'x') + '\0');
}

TEST_F(ModuleMultimediaCommandTest, SeekAndPlayReportsOnlyTheSeek) {
    const struct {
        std::uint32_t seekCode;
        std::uint32_t playCode;
        std::string result;
    } cases[] = {
        {0, 0, "Success"},
        {0, 263, "Success"},
        {282, 0, ErrorBuffer(kOutOfRange)},
        {282, 263, ErrorBuffer(kOutOfRange)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.seekCode) + "/" + std::to_string(c.playCode));
        fake.clear();
        fake.script("seek movie to 40", {testing::Reply::error(c.seekCode)});
        fake.script("Play movie", {testing::Reply::error(c.playCode)});
        EXPECT_EQ(mci.SeekAndPlay("movie", 40), c.result);
        EXPECT_EQ(fake.trimmedCommands(),
                  (std::vector<std::string>{"seek movie to 40", "Play movie"}));
        // Only the seek's code is ever looked up.
        for (const PlatformCall& call : fake.calls()) {
            if (call.kind == CallKind::GetErrorString) {
                EXPECT_EQ(call.code, 282u);
            }
        }
    }
}

TEST_F(ModuleMultimediaCommandTest, OpenUsesTheShortPathOrNothing) {
    const std::string tail = " type MPEGVideo Alias movie parent 5 Style 1073741824";
    const struct {
        const char* name;
        std::optional<std::string> shortPath;
        std::string inCommand;
    } cases[] = {
        {"converted", std::string("/s/CLIP~1.MPG"), "/s/CLIP~1.MPG"},
        {"not converted", std::nullopt, ""},
        // Too long for the 255-byte buffer: nothing is written, so nothing is used.
        {"too long", std::string(300, 'q'), ""},
        {"fills the buffer", std::string(254, 'r'), std::string(254, 'r')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake.clear();
        fake.setShortPath("/long path/clip.mpg", c.shortPath);
        fake.fail(Padded("open " + c.inCommand + tail, 255).substr(0, 255), 275);
        const std::string result = mci.OpenMedia(5, "movie", "/long path/clip.mpg", "MPEGVideo");
        const std::vector<PlatformCall>& calls = fake.calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[0].kind, CallKind::GetShortPathName);
        EXPECT_EQ(calls[0].text, "/long path/clip.mpg");
        EXPECT_EQ(calls[0].capacity, 255u);
        EXPECT_EQ(calls[1].text, Padded("open " + c.inCommand + tail, 255).substr(0, 255));
        EXPECT_EQ(ResultDisplayText(result),
                  "Cannot find the specified file. Make sure the path and filename are correct.");
    }
}

TEST_F(ModuleMultimediaCommandTest, PutVideoWindowTakesAZeroSizeFromTheWindow) {
    fake.setWindowRect(42, {10, 20, 650, 500});
    const struct {
        std::int32_t window;
        std::int32_t width;
        std::int32_t height;
        bool asksWindow;
        std::string command;
    } cases[] = {
        {42, 0, 0, true, "put movie window at 0 0 640 480"},
        {42, 0, 100, true, "put movie window at 0 0 640 480"},
        {42, 320, 0, true, "put movie window at 0 0 640 480"},
        {42, 320, 240, false, "put movie window at 0 0 320 240"},
        {7, 0, 0, true, "put movie window at 0 0 0 0"},  // no such window
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
        fake.clear();
        mci.PutVideoWindow(c.window, "movie", 0, 0, c.width, c.height);
        std::vector<CallKind> kinds;
        for (const PlatformCall& call : fake.calls()) {
            kinds.push_back(call.kind);
        }
        if (c.asksWindow) {
            EXPECT_EQ(kinds,
                      (std::vector<CallKind>{CallKind::GetWindowRect, CallKind::SendString}));
            EXPECT_EQ(fake.calls()[0].window, c.window);
        } else {
            EXPECT_EQ(kinds, (std::vector<CallKind>{CallKind::SendString}));
        }
        EXPECT_EQ(fake.commands().back(), c.command);
    }
    // A rectangle wider than 32 bits can count: nothing is sent.
    fake.setWindowRect(43, {-2147483647 - 1, 0, 2147483647, 10});
    fake.clear();
    EXPECT_EQ(mci.PutVideoWindow(43, "movie", 0, 0, 0, 0), std::nullopt);
    EXPECT_TRUE(fake.commands().empty());
}

TEST_F(ModuleMultimediaCommandTest, DestinationSizeParsesOrRefuses) {
    const struct {
        std::string which;
        std::optional<std::string> reply;  // nullopt: the command fails
        std::int32_t result;
        bool sends;
    } cases[] = {
        {"cx", "0 0 352 288", 352, true},
        {"cy", "0 0 352 288", 288, true},
        {"CX", "0 0 352 288", 352, true},
        {"Cy", "0 0 352 288", 288, true},
        {"cx", "12 34 5600 78", 5600, true},
        {"cy", "-4 -6 640 -1", -1, true},
        {"cx", "0 0 352", -1, true},  // fewer than four numbers
        {"cy", "", -1, true},
        {"cx", std::nullopt, -1, true},
        {"w", "0 0 352 288", -1, false},
        {"", "0 0 352 288", -1, false},
        {"cxx", "0 0 352 288", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.which + " / " + c.reply.value_or("<refused>"));
        fake.clear();
        if (c.reply) {
            fake.answer("Where movie destination", c.reply->c_str());
        } else {
            fake.fail("Where movie destination", 346);
        }
        EXPECT_EQ(mci.GetDestinationSize("movie", c.which), c.result);
        EXPECT_EQ(fake.calls().size(), c.sends ? 1u : 0u);  // never an error text
    }
}

TEST_F(ModuleMultimediaCommandTest, SpeedOverflowIsRefusedBeforeSending) {
    EXPECT_EQ(mci.SetPlaySpeed("movie", 214748365), std::nullopt);
    EXPECT_EQ(mci.SetPlaySpeed("movie", -214748365), std::nullopt);
    EXPECT_TRUE(fake.calls().empty());

    mci.SetPlaySpeed("movie", -214748364);
    EXPECT_EQ(fake.trimmedCommands(), (std::vector<std::string>{"set movie speed -2147483640"}));
}

TEST_F(ModuleMultimediaCommandTest, PlayToUnknownLengthSendsMinusOne) {
    fake.fail("status movie length", 263);
    fake.fail("play movie from 0 to -1", 282);
    EXPECT_EQ(mci.PlayMedia("movie", "", ""), ErrorBuffer(kOutOfRange));
    EXPECT_EQ(fake.commands().at(2), Padded("play movie from 0 to -1", 128));
}

}  // namespace
}  // namespace kelto::mci
