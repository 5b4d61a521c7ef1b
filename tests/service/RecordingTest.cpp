// Recording for real: a private sound server with a null sink, a tone played
// into it, and the sink's monitor as the default capture device.

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/service/ServiceTestSupport.h"

extern char** environ;

namespace kelto::mciservice {
namespace {

using testsupport::RunScript;
using testsupport::Send;

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A short folder: a socket's path must fit in 108 bytes.
        std::string scratch = "/tmp/kelto-pa-XXXXXX";
        ASSERT_NE(mkdtemp(scratch.data()), nullptr);
        dir_ = scratch;
        const std::string socket = (dir_ / "native").string();
        setenv("HOME", dir_.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        std::vector<std::string> args{
            "pulseaudio",
            "-n",
            "--daemonize=no",
            "--exit-idle-time=-1",
            "--use-pid-file=no",
            "-L",
            "module-null-sink",
            "-L",
            "module-native-protocol-unix socket=" + socket + " auth-anonymous=1"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawnp(&server_, "pulseaudio", nullptr, nullptr, argv.data(), environ), 0)
            << "the pulseaudio package is needed";
        ASSERT_TRUE(testsupport::WaitUntil([&] { return std::filesystem::exists(socket); }));
        setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    }

    void TearDown() override {
        if (tone_ != nullptr) {
            gst_element_set_state(tone_, GST_STATE_NULL);
            gst_object_unref(tone_);
        }
        unsetenv("PULSE_SERVER");
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // A 1 kHz tone into the null sink, whose monitor is the only capture device.
    void PlayTone() {
        gst_init(nullptr, nullptr);
        tone_ = gst_parse_launch("audiotestsrc freq=1000 is-live=true ! pulsesink", nullptr);
        ASSERT_NE(tone_, nullptr);
        ASSERT_NE(gst_element_set_state(tone_, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    }

    std::filesystem::path dir_;
    pid_t server_ = 0;
    GstElement* tone_ = nullptr;
};

TEST_F(RecordingTest, RecordsTheDefaultCaptureDeviceAndSavesAWaveFileOfTheSetFormat) {
    PlayTone();
    MciService service;
    const std::string saved = (dir_ / "take one.wav").string();
    RunScript(service, {
                           {"open new type waveaudio alias rec", 0, "1"},
                           {"capability rec can record", 0, "true"},
                           {"set rec bitspersample 16 channels 1 samplespersec 22050", 0, ""},
                           {"set rec format tag pcm", 0, ""},
                           {"cue rec input", 0, ""},
                           {"record rec to 1500 wait", 0, ""},
                           {"status rec length", 0, "1500"},
                           {"status rec mode", 0, "stopped"},
                           {"play rec", 274, ""},
                       });
    // Without "to" it records until stopped.
    ASSERT_EQ(Send(service, "record rec").code, 0u);
    EXPECT_EQ(Send(service, "status rec mode").reply, "recording");
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] { return testsupport::Number(service, "status rec length") >= 2000; }));
    RunScript(service, {
                           {"stop rec", 0, ""},
                           {"status rec mode", 0, "stopped"},
                           {"delete rec to 500", 0, ""},
                           {"set rec time format bytes", 0, ""},
                       });
    const std::int64_t bytes = testsupport::Number(service, "status rec length");
    EXPECT_GE(bytes, 1500 * 44);
    RunScript(service, {{"save rec \"" + saved + "\"", 0, ""}, {"close rec", 0, ""}});

    std::ifstream in(saved, std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(file.size(), 44 + static_cast<std::size_t>(bytes));
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(LittleEndian(file, 20, 2), 1u);      // PCM
    EXPECT_EQ(LittleEndian(file, 22, 2), 1u);      // one channel
    EXPECT_EQ(LittleEndian(file, 24, 4), 22050u);  // samples a second
    EXPECT_EQ(LittleEndian(file, 28, 4), 44100u);  // bytes a second
    EXPECT_EQ(LittleEndian(file, 34, 2), 16u);     // bits
    EXPECT_EQ(file.substr(36, 4), "data");
    EXPECT_EQ(LittleEndian(file, 40, 4), static_cast<std::uint32_t>(bytes));

    // The tone's pitch from its zero crossings, two a cycle.
    std::size_t crossings = 0;
    std::int16_t previous = 0;
    const std::size_t samples = static_cast<std::size_t>(bytes) / 2;
    for (std::size_t i = 0; i < samples; ++i) {
        const auto sample = static_cast<std::int16_t>(LittleEndian(file, 44 + 2 * i, 2));
        if (i > 0 && (previous < 0) != (sample < 0)) {
            ++crossings;
        }
        previous = sample;
    }
    const double hertz =
        static_cast<double>(crossings) / 2.0 / (static_cast<double>(samples) / 22050.0);
    EXPECT_NEAR(hertz, 1000.0, 30.0);
}

// The theme's sound reaches the desktop's output: the sink's monitor hears it.
TEST_F(RecordingTest, SoundPlaysTheThemesSoundOnTheDesktopsOutput) {
    MciService service;
    const std::string saved = (dir_ / "heard.wav").string();
    RunScript(service, {
                           {"open new type waveaudio alias rec", 0, "1"},
                           {"set rec bitspersample 16 channels 1 samplespersec 22050", 0, ""},
                           {"record rec", 0, ""},
                           {"sound SystemExclamation wait", 0, ""},
                           // A name with no sound plays the default one.
                           {"sound NoSuchSoundAnywhere wait", 0, ""},
                           {"stop rec", 0, ""},
                           {"save rec \"" + saved + "\"", 0, ""},
                       });
    std::ifstream in(saved, std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(file.size(), 44u);
    int peak = 0;
    for (std::size_t at = 44; at + 1 < file.size(); at += 2) {
        peak = std::max(peak, std::abs(static_cast<std::int16_t>(LittleEndian(file, at, 2))));
    }
    EXPECT_GT(peak, 1000) << "the monitor heard silence";
}

TEST_F(RecordingTest, WithoutACaptureDeviceRecordFailsAndTheDeviceStaysUsable) {
    setenv("PULSE_SERVER", "unix:/nonexistent/native", 1);
    MciService service;
    RunScript(service, {
                           {"open new type waveaudio alias rec", 0, "1"},
                           {"record rec", 328, ""},
                           {"sound SystemAsterisk", 262, ""},
                           {"status rec mode", 0, "stopped"},
                           {"status rec length", 0, "0"},
                           {"open new alias other", 292, ""},
                           {"open new type waveaudio", 299, ""},
                           {"record {wav}", 274, ""},
                           {"save rec", 273, ""},
                           {"close rec", 0, ""},
                       });
}

}  // namespace
}  // namespace kelto::mciservice
