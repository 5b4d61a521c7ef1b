// Sound tracks through the command words, subtitles through the service's own
// seam, on a generated film with two languages of each.
#include <gtest/gtest.h>

#include "mciservice/ServiceTracks.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/support/media/TestFilms.h"

namespace kelto::mciservice {
namespace {

using testsupport::Number;
using testsupport::Send;
using testsupport::WaitForMode;
using testsupport::WaitUntil;

class FilmStreams : public ::testing::Test {
protected:
    void SetUp() override {
        film_ = testing::MakeLanguagesFilm(testing::DefaultClipDir(), 4000);
        ASSERT_EQ(Send(service_, "open " + film_.string() + " type MPEGVideo alias m").code, 0u);
    }

    MciService service_;
    ServiceTracks tracks_{service_};
    std::filesystem::path film_;
};

TEST_F(FilmStreams, SoundTracksAreNamedAndChosenByCommand) {
    const auto audio = tracks_.AudioTracks("M");
    ASSERT_EQ(audio.size(), 2u);
    EXPECT_EQ(audio[0].language, "en");
    EXPECT_EQ(audio[0].title, "Main");
    EXPECT_EQ(audio[0].codec, "Vorbis");
    EXPECT_EQ(audio[0].channels, 2);
    EXPECT_EQ(audio[1].language, "fr");
    EXPECT_EQ(audio[1].title, "Dub");
    EXPECT_EQ(audio[1].codec, "AC-3");
    EXPECT_EQ(audio[1].channels, 6);

    EXPECT_EQ(Send(service_, "status m audio stream").reply, "1");
    EXPECT_EQ(Send(service_, "status m video stream").reply, "1");
    EXPECT_EQ(Send(service_, "setaudio m stream to 2").code, 0u);
    EXPECT_EQ(Send(service_, "status m audio stream").reply, "2");
    for (const char* refused : {"setaudio m stream to 3", "setaudio m stream to 0",
                                "setvideo m stream to 2", "setaudio m stream to -1"}) {
        EXPECT_EQ(Send(service_, refused).code, 282u) << refused;
    }
    EXPECT_EQ(Send(service_, "setvideo m stream to 1").code, 0u);
    EXPECT_EQ(Send(service_, "setaudio m stream").code, 259u);
    EXPECT_EQ(Send(service_, "status m audio stream").reply, "2");

    EXPECT_EQ(Send(service_, "status m audio").reply, "on");
    EXPECT_EQ(Send(service_, "setaudio m off").code, 0u);
    EXPECT_EQ(Send(service_, "status m audio").reply, "off");
    EXPECT_EQ(Send(service_, "setaudio m on volume to 500").code, 0u);
    EXPECT_EQ(Send(service_, "status m audio").reply, "on");

    // The other track plays on to the end.
    ASSERT_EQ(Send(service_, "play m").code, 0u);
    EXPECT_TRUE(WaitUntil([&] { return Number(service_, "status m position") > 500; }));
    EXPECT_EQ(Send(service_, "status m audio stream").reply, "2");
}

TEST_F(FilmStreams, SubtitlesAreChosenAndHidden) {
    auto texts = tracks_.Subtitles("m");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].language, "en");
    EXPECT_EQ(texts[1].language, "fr");
    EXPECT_FALSE(texts[0].external);
    const int atStart = tracks_.ShownSubtitle("m");
    EXPECT_EQ(atStart, texts[0].preferred ? 1 : texts[1].preferred ? 2 : 0);

    EXPECT_TRUE(tracks_.ShowSubtitle("m", 2));
    EXPECT_EQ(tracks_.ShownSubtitle("m"), 2);
    EXPECT_TRUE(tracks_.ShowSubtitle("m", 0));
    EXPECT_EQ(tracks_.ShownSubtitle("m"), 0);
    EXPECT_FALSE(tracks_.ShowSubtitle("m", 3));
    EXPECT_FALSE(tracks_.ShowSubtitle("nothing", 1));

    // A chosen track plays on from where the film was.
    ASSERT_EQ(Send(service_, "play m").code, 0u);
    ASSERT_TRUE(WaitUntil([&] { return Number(service_, "status m position") > 1500; }));
    EXPECT_TRUE(tracks_.ShowSubtitle("m", 1));
    EXPECT_EQ(Send(service_, "status m mode").reply, "playing");
    EXPECT_GE(Number(service_, "status m position"), 1400);
    EXPECT_TRUE(WaitForMode(service_, "m", "stopped"));
}

}  // namespace
}  // namespace kelto::mciservice
