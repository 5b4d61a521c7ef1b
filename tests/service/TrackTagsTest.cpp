#include <gtest/gtest.h>

#include <filesystem>

#include "mciservice/MciService.h"
#include "tests/service/ServiceTestSupport.h"
#include "tests/support/media/TaggedClip.h"

namespace kelto::mciservice {
namespace {

using testsupport::Send;

// Each container keeps its tags its own way (ID3v2 frames, FLAC comments and
// picture block); the service hands all of them out alike, while the file
// plays, and forgets them when it is closed.
TEST(TrackTagsTest, TagsAndFrontCoverOfEachKindAreReadWhileTheFilePlays) {
    const std::filesystem::path dir = testsupport::ScratchDir();
    testing::ClipTags tags;
    tags.title = "Caf\xc3\xa9 Night";
    tags.artist = "The Testers";
    tags.album = "Loopback";
    tags.track = 7;
    tags.cover = testing::SolidPng(0x20c040);
    MciService service;
    for (const char* name : {"tagged.mp3", "tagged.flac"}) {
        SCOPED_TRACE(name);
        const std::filesystem::path clip = dir / name;
        testing::WriteTaggedClip(clip, tags);
        ASSERT_EQ(Send(service, "open " + clip.string() + " type mpegvideo alias song").code, 0U);
        ASSERT_EQ(Send(service, "play song").code, 0U);
        ASSERT_TRUE(testsupport::WaitUntil([&] {
            return service.TagsVersion("song") > 0 && !service.Tags("song").cover.empty();
        }));
        const platform::TrackTags read = service.Tags("song");
        EXPECT_EQ(read.title, tags.title);
        EXPECT_EQ(read.artist, tags.artist);
        EXPECT_EQ(read.album, tags.album);
        EXPECT_EQ(read.trackNumber, tags.track);
        EXPECT_EQ(read.cover, tags.cover);
        EXPECT_EQ(service.StreamFailure("song"), "");
        ASSERT_EQ(Send(service, "close song").code, 0U);
        EXPECT_EQ(service.TagsVersion("song"), 0U);
        EXPECT_TRUE(service.Tags("song").Empty());
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kelto::mciservice
