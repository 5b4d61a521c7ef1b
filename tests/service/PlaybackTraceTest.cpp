#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "mciservice/MciService.h"
#include "tests/service/ServiceTestSupport.h"

namespace kelto::mciservice {
namespace {

using testsupport::Clip;
using testsupport::Send;

// The timing marks among whatever else went to standard error.
std::vector<std::pair<std::string, long long>> Marks(const std::string& text) {
    std::vector<std::pair<std::string, long long>> marks;
    std::istringstream lines(text);
    std::string name;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        long long micros = 0;
        std::string rest;
        if (words >> name >> micros && !(words >> rest) &&
            (name == "open-request" || name == "play-request" || name == "first-frame")) {
            marks.emplace_back(name, micros);
        }
    }
    return marks;
}

std::string PlayVideoAndSeek(MciService& service, const std::string& clip) {
    ::testing::internal::CaptureStderr();
    Send(service, "open \"" + clip + "\" type MPEGVideo alias movie");
    Send(service, "status movie mode");
    Send(service, "PLAY movie");
    Send(service, "seek movie to start");
    Send(service, "play movie");
    Send(service, "close movie");
    return ::testing::internal::GetCapturedStderr();
}

TEST(PlaybackTraceTest, MarksRequestsAndTheFirstPictureOnlyWhenAskedFor) {
    const std::string clip = Clip(testing::ClipKind::Mpeg1).string();
    MciService service;

    // The marks alone, without a line for every command.
    setenv("KELTO_MCI_TRACE", "marks", 1);
    const std::string marksOnly = PlayVideoAndSeek(service, clip);
    EXPECT_EQ(Marks(marksOnly).size(), 4u) << marksOnly;
    EXPECT_EQ(marksOnly.find("command "), std::string::npos) << marksOnly;

    unsetenv("KELTO_MCI_TRACE");
    EXPECT_TRUE(Marks(PlayVideoAndSeek(service, clip)).empty());
    setenv("KELTO_MCI_TRACE", "yes", 1);
    EXPECT_TRUE(Marks(PlayVideoAndSeek(service, clip)).empty());

    setenv("KELTO_MCI_TRACE", "1", 1);
    const long long before = g_get_monotonic_time();
    const auto marks = Marks(PlayVideoAndSeek(service, clip));
    const long long after = g_get_monotonic_time();
    unsetenv("KELTO_MCI_TRACE");

    // The picture comes while the file is opened, and only once although the
    // seek sends the pictures again.
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[0].first, "open-request");
    EXPECT_EQ(marks[1].first, "first-frame");
    EXPECT_EQ(marks[2].first, "play-request");
    EXPECT_EQ(marks[3].first, "play-request");
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_GE(marks[i].second, i == 0 ? before : marks[i - 1].second);
        EXPECT_LE(marks[i].second, after);
    }
}

TEST(PlaybackTraceTest, SoundWithoutPictureHasNoFirstFrame) {
    MciService service;
    setenv("KELTO_MCI_TRACE", "1", 1);
    ::testing::internal::CaptureStderr();
    Send(service, "open \"" + Clip(testing::ClipKind::Mp3).string() + "\" alias a");
    Send(service, "play a wait");
    Send(service, "close a");
    const auto marks = Marks(::testing::internal::GetCapturedStderr());
    unsetenv("KELTO_MCI_TRACE");
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].first, "open-request");
    EXPECT_EQ(marks[1].first, "play-request");
}

}  // namespace
}  // namespace kelto::mciservice
