#include "mciservice/MediaContentProbe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/service/ServiceTestSupport.h"

namespace kelto::mciservice {
namespace {

using testing::ClipKind;
using testsupport::Clip;

// A one-pixel picture, whole and valid.
constexpr char kPng[] =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00"
    "\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89\x00\x00\x00\x0d\x49\x44\x41\x54\x78\xda\x63\x64\x60"
    "\xf8\x5f\x0f\x00\x02\x87\x01\x80\xeb\x47\xba\x92\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60"
    "\x82";

class MediaContentProbeTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testsupport::ScratchDir(); }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::filesystem::path dir_;
    MediaContentProbe probe_;
};

TEST_F(MediaContentProbeTest, EveryKindThePlayerPlaysIsMediaWhateverItsName) {
    for (ClipKind kind :
         {ClipKind::Mp3, ClipKind::Mp2, ClipKind::Wav, ClipKind::Midi, ClipKind::Mpeg1,
          ClipKind::Avi, ClipKind::Vob, ClipKind::Mp4, ClipKind::M4a, ClipKind::Mkv, ClipKind::WebM,
          ClipKind::Ogg, ClipKind::Opus, ClipKind::Flac}) {
        const auto clip = Clip(kind);
        const platform::MediaContent found = probe_.Examine(clip.string());
        EXPECT_TRUE(found.isMedia) << clip << " found to be " << found.kind;
        // The name plays no part: the same bytes under a name that says nothing.
        const auto renamed = dir_ / ("clip" + std::to_string(static_cast<int>(kind)) + ".txt");
        std::filesystem::copy_file(clip, renamed);
        EXPECT_TRUE(probe_.Examine(renamed.string()).isMedia) << renamed;
    }
}

TEST_F(MediaContentProbeTest, TextPicturesAndOtherFilesAreNotMediaWhateverTheirNames) {
    std::string text;
    for (int line = 0; line < 200; ++line) text += "la la la, verse " + std::to_string(line) + "\n";
    const platform::MediaContent song = probe_.Examine(Write("song.mp3", text));
    EXPECT_FALSE(song.isMedia) << song.kind;

    const platform::MediaContent picture =
        probe_.Examine(Write("cover.mp3", std::string(kPng, sizeof kPng - 1)));
    EXPECT_FALSE(picture.isMedia);
    EXPECT_EQ(picture.kind, "image/png");

    const platform::MediaContent empty = probe_.Examine(Write("empty.flac", ""));
    EXPECT_FALSE(empty.isMedia);
    EXPECT_EQ(empty.kind, "");

    // A program: many binaries hold a pattern the last-resort MP3 finder takes
    // for a frame by chance.
    EXPECT_FALSE(probe_.Examine("/proc/self/exe").isMedia);

    // Neither a folder nor a pipe is looked into; the pipe, with no writer,
    // would hold up a reader that waited for it.
    std::filesystem::create_directory(dir_ / "album.mp4");
    EXPECT_FALSE(probe_.Examine((dir_ / "album.mp4").string()).isMedia);
    ASSERT_EQ(::mkfifo((dir_ / "pipe.ogg").c_str(), 0600), 0);
    EXPECT_FALSE(probe_.Examine((dir_ / "pipe.ogg").string()).isMedia);
    EXPECT_FALSE(probe_.Examine((dir_ / "missing.mp3").string()).isMedia);

    // A clip cut short after its header is still a clip by its content; the
    // service, not the probe, finds that it cannot be played.
    std::ifstream in(Clip(ClipKind::Flac), std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_TRUE(probe_.Examine(Write("cut.flac", head)).isMedia);
}

}  // namespace
}  // namespace kelto::mciservice
