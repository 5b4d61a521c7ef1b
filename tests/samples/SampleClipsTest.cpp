#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "mciservice/MciService.h"
#include "samples/ClipEncoder.h"
#include "samples/MidiFile.h"
#include "samples/Tune.h"

namespace kelto::samples {
namespace {

namespace fs = std::filesystem;

class ScratchDir {
public:
    ScratchDir()
        : path_(fs::temp_directory_path() /
                ("kelto-samples-test-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& Path() const { return path_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    fs::path path_;
};

std::string Ask(mciservice::MciService& service, const std::string& command) {
    std::string reply;
    const auto code = service.SendString(command, reply);
    EXPECT_EQ(code, 0u) << command << ": " << mciservice::MciService::ErrorText(code);
    return reply;
}

// What the build put in the sample folder is what a first playlist plays.
TEST(SampleClipsTest, BuildMadeEverySampleAndEachPlaysForFiveSeconds) {
    struct Case {
        const char* name;
        bool video;
    };
    mciservice::MciService service;
    for (const Case c : {Case{"kelto-test-pattern.mpg", true}, Case{"kelto-melody.mp3", false},
                         Case{"kelto-tune.mid", false}}) {
        SCOPED_TRACE(c.name);
        const fs::path clip = fs::path(KELTO_SAMPLE_DIR) / c.name;
        ASSERT_TRUE(fs::is_regular_file(clip));
        Ask(service, "open \"" + clip.string() + "\" type MPEGVideo alias s");
        Ask(service, "set s time format ms");
        EXPECT_NEAR(std::stoll(Ask(service, "status s length")), kSampleTuneMs, 150);
        std::string reply;
        const auto code = service.SendString("where s source", reply);
        if (c.video) {
            EXPECT_EQ(code, 0u);
            EXPECT_EQ(reply, "0 0 320 240");
        } else {
            EXPECT_NE(code, 0u) << "a sound clip reports a picture: " << reply;
        }
        Ask(service, "close s");
    }
    // Nothing half-made left beside them.
    for (const auto& entry : fs::directory_iterator(KELTO_SAMPLE_DIR)) {
        EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
    }
}

TEST(SampleClipsTest, RefusedOrFailedClipLeavesNothingBehind) {
    ScratchDir dir;
    auto recipe = [](ClipKind kind, int ms, int width = 320, int height = 240) {
        ClipRecipe r;
        r.kind = kind;
        r.durationMs = ms;
        r.width = width;
        r.height = height;
        return r;
    };
    for (const ClipRecipe& bad :
         {recipe(ClipKind::Midi, 99), recipe(ClipKind::Mp3, 60001),
          recipe(ClipKind::Mpeg1, 1000, 8, 240), recipe(ClipKind::Vob, 1000, 720, 2000)}) {
        EXPECT_THROW(WriteClip(bad, dir.Path() / ("bad" + ExtensionOf(bad.kind))),
                     std::invalid_argument);
    }
    EXPECT_TRUE(dir.Names().empty());

    // A folder where the clip should go: encoding works, storing cannot.
    fs::create_directory(dir.Path() / "taken.mid");
    EXPECT_THROW(WriteClip(recipe(ClipKind::Midi, 500), dir.Path() / "taken.mid"),
                 std::runtime_error);
    EXPECT_TRUE(fs::is_directory(dir.Path() / "taken.mid"));
    // A file where a folder should be.
    std::ofstream(dir.Path() / "plain").put('x');
    EXPECT_THROW(WriteClip(recipe(ClipKind::Wav, 500), dir.Path() / "plain" / "clip.wav"),
                 std::runtime_error);
    EXPECT_EQ(dir.Names().size(), 2u);
}

TEST(SampleClipsTest, ExistingFileIsReplacedWhole) {
    ScratchDir dir;
    const fs::path target = dir.Path() / "tune.mid";
    std::ofstream(target) << std::string(100000, 'x');
    ClipRecipe midi;
    midi.kind = ClipKind::Midi;
    midi.durationMs = 2000;
    midi.sound = ClipSound::Tune;
    WriteClip(midi, target);

    std::ifstream in(target, std::ios::binary);
    const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(written, MakeMidiFile(SampleTune(), 2000, 4));
    EXPECT_EQ(dir.Names().size(), 1u);
}

// A gst-launch-1.0 found first on the PATH that ends its first runs the ways a
// failing encoder ends its process, then hands over to the real one (the rest
// of the PATH).
void WriteFlakyEncoder(const fs::path& script, const fs::path& counter, int failures) {
    std::ofstream(script) << "#!/bin/sh\n"
                          << "n=$(cat '" << counter.string() << "' 2>/dev/null || echo 0)\n"
                          << "n=$((n + 1)); echo $n > '" << counter.string() << "'\n"
                          << "case $n in\n"
                          << "  1) [ " << failures << " -ge 1 ] && kill -KILL $$ ;;\n"
                          << "  2) [ " << failures << " -ge 2 ] && exit 1 ;;\n"
                          << "  *) [ " << failures << " -ge 3 ] && exit 1 ;;\n"
                          << "esac\n"
                          << "PATH=${PATH#*:} exec gst-launch-1.0 \"$@\"\n";
    fs::permissions(script, fs::perms::owner_all);
}

// The MPEG multiplexer ends its whole process when it rejects its input;
// whoever asked for the clip must outlive that and get the clip from a retry.
TEST(SampleClipsTest, AnEncoderEndingItsProcessCostsOnlyThatAttempt) {
    ScratchDir dir;
    const fs::path bin = dir.Path() / "bin";
    fs::create_directories(bin);
    const fs::path counter = dir.Path() / "attempts";
    ClipRecipe vob;
    vob.kind = ClipKind::Vob;
    vob.durationMs = 1000;
    vob.solidRgb = 0x00ff00;
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin";
    ::setenv("PATH", (bin.string() + ":" + path).c_str(), 1);

    WriteFlakyEncoder(bin / "gst-launch-1.0", counter, 2);
    const fs::path clip = dir.Path() / "out" / "green.vob";
    WriteClip(vob, clip);
    EXPECT_EQ(std::ifstream(counter).get(), '3');
    mciservice::MciService service;
    Ask(service, "open \"" + clip.string() + "\" type MPEGVideo alias v");
    Ask(service, "set v time format ms");
    EXPECT_NEAR(std::stoll(Ask(service, "status v length")), 1000, 150);
    Ask(service, "close v");

    WriteFlakyEncoder(bin / "gst-launch-1.0", counter, 3);
    fs::remove(counter);
    try {
        WriteClip(vob, dir.Path() / "out" / "never.vob");
        ADD_FAILURE() << "a clip no attempt made was reported as made";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("exited with 1"), std::string::npos)
            << error.what();
    }
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(std::ifstream(counter).get(), '3');
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path() / "out")) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"green.vob"});
}

// A name with blanks reaches the encoder as one file name, and a tune is heard
// in a clip made by another process: the sound is not the steady test tone.
TEST(SampleClipsTest, TuneGoesIntoAClipWithBlanksInItsName) {
    ScratchDir dir;
    ClipRecipe wav;
    wav.kind = ClipKind::Wav;
    wav.durationMs = 1000;
    wav.sound = ClipSound::Tune;
    const fs::path clip = dir.Path() / "a tune here.wav";
    WriteClip(wav, clip);
    wav.sound = ClipSound::Tone;
    WriteClip(wav, dir.Path() / "tone.wav");
    EXPECT_EQ(dir.Names().size(), 2u);
    std::ifstream tune(clip, std::ios::binary);
    std::ifstream tone(dir.Path() / "tone.wav", std::ios::binary);
    const std::string tuneBytes{std::istreambuf_iterator<char>(tune), {}};
    const std::string toneBytes{std::istreambuf_iterator<char>(tone), {}};
    // One second of 16-bit stereo at 44100 Hz and a header each, but other sound.
    EXPECT_NEAR(static_cast<double>(tuneBytes.size()), 176400.0, 2048);
    EXPECT_NEAR(static_cast<double>(toneBytes.size()), 176400.0, 2048);
    EXPECT_NE(tuneBytes.substr(1000, 100000), toneBytes.substr(1000, 100000));
}

}  // namespace
}  // namespace kelto::samples
