// The three device types over real generated clips, as a script author sees
// them: each command with the exact code and reply it must give.

#include <gtest/gtest.h>

#include "tests/service/ServiceTestSupport.h"

namespace kelto::mciservice {
namespace {

using testing::ClipKind;
using testsupport::Clip;
using testsupport::RunScript;
using testsupport::Send;

TEST(DeviceTypesTest, EachTypeKnowsOnlyItsOwnCommandsAndItems) {
    MciService service;
    RunScript(service, {
                           // The type follows from the file when "open" names none.
                           {"open {wav} alias w", 0, "1"},
                           {"open {mid} alias s", 0, "2"},
                           {"open {mpg} alias v", 0, "3"},
                           {"open {mp3} alias a", 0, "4"},
                           {"capability w device type", 0, "waveaudio"},
                           {"capability s device type", 0, "sequencer"},
                           {"capability v device type", 0, "digitalvideo"},
                           {"capability a device type", 0, "digitalvideo"},
                           // A file of another format is refused by the wave and MIDI devices.
                           {"open {mpg} type waveaudio alias e", 296, ""},
                           {"open {wav} type sequencer alias e", 296, ""},
                           {"open {mid} type waveaudio alias e", 296, ""},
                           {"open {wav} type MPEGVideo alias wv", 0, "5"},
                           {"capability wv device type", 0, "digitalvideo"},
                           {"open {wav} type cdaudio alias e", 263, ""},
                           // Items and commands of the digital-video device only.
                           {"status w speed", 290, ""},
                           {"status s volume", 290, ""},
                           {"status v speed", 0, "1000"},
                           {"status wv speed", 0, "1000"},
                           {"set w speed 500", 259, ""},
                           {"where w destination", 261, ""},
                           {"where s source", 261, ""},
                           {"put w window at 0 0 10 10", 261, ""},
                           {"setaudio s volume to 10", 261, ""},
                           {"where v source", 0, "0 0 320 240"},
                           {"where wv destination", 346, ""},
                           // What every type does.
                           {"status w mode", 0, "stopped"},
                           {"status s time format", 0, "milliseconds"},
                           {"play w", 0, ""},
                           {"stop w", 0, ""},
                           {"seek s to start", 0, ""},
                           {"close w", 0, ""},
                           {"status w mode", 263, ""},
                       });
}

TEST(DeviceTypesTest, CapabilityAnswersWhatTheServiceDoes) {
    MciService service;
    RunScript(service, {
                           {"open {wav} alias w", 0, "1"},
                           {"open {mid} alias s", 0, "2"},
                           {"open {mpg} alias v", 0, "3"},
                           {"open {mp3} alias a", 0, "4"},
                       });
    // Items every type has, answered alike by all four devices.
    const struct {
        const char* item;
        const char* answer;
    } common[] = {{"can eject", "false"},
                  {"can play", "true"},
                  {"compound device", "true"},
                  {"has audio", "true"},
                  {"uses files", "true"}};
    for (const char* alias : {"w", "s", "v", "a"}) {
        for (const auto& c : common) {
            RunScript(service, {{std::string("capability ") + alias + " " + c.item, 0, c.answer}});
        }
    }
    RunScript(service, {
                           // Only the wave device records and saves.
                           {"capability w can record", 0, "true"},
                           {"capability w can save", 0, "true"},
                           {"capability v can record", 0, "false"},
                           {"capability s can save", 0, "false"},
                           {"capability v has video", 0, "true"},
                           {"capability a has video", 0, "false"},
                           {"capability w has video", 0, "false"},
                           {"capability v can stretch", 0, "true"},
                           {"capability v can freeze", 0, "false"},
                           {"capability v can lock", 0, "false"},
                           {"capability v can reverse", 0, "false"},
                           {"capability v can stretch input", 0, "false"},
                           {"capability v can test", 0, "false"},
                           {"capability v has still", 0, "false"},
                           {"capability v uses palettes", 0, "false"},
                           {"capability v windows", 0, "1"},
                           // 25 frames a second, at one to sixteen thousand thousandths.
                           {"capability v maximum play rate", 0, "400"},
                           {"capability v minimum play rate", 0, "0"},
                           {"capability w inputs", 0, "1"},
                           {"capability w outputs", 0, "1"},
                           // Another type's items are unknown words.
                           {"capability w can freeze", 290, ""},
                           {"capability s inputs", 290, ""},
                           {"capability v outputs", 290, ""},
                           {"capability v", 273, ""},
                           {"capability v can play can save", 284, ""},
                           {"capability all can play", 279, ""},
                       });
}

TEST(DeviceTypesTest, InfoAndSysinfoNameTypesAndOpenDevices) {
    MciService service;
    RunScript(service, {
                           {"sysinfo all quantity", 0, "3"},
                           {"sysinfo all quantity open", 0, "0"},
                           {"sysinfo all name 1", 0, "mpegvideo"},
                           {"sysinfo all name 2", 0, "waveaudio"},
                           {"sysinfo all name 3", 0, "sequencer"},
                           {"sysinfo all name 4", 282, ""},
                           {"sysinfo all name 0", 282, ""},
                           {"sysinfo all name 1 open", 282, ""},
                           {"sysinfo mpegvideo quantity", 0, "1"},
                           {"sysinfo waveaudio name 1", 0, "waveaudio"},
                           {"sysinfo Sequencer installname", 0, "sequencer"},
                           {"sysinfo all installname", 279, ""},
                           {"sysinfo cdaudio quantity", 263, ""},
                           {"sysinfo all", 273, ""},
                           {"sysinfo all speed", 290, ""},
                           {"open {wav} alias w", 0, "1"},
                           {"open {mpg} alias v", 0, "2"},
                           {"open {mp3} alias a", 0, "3"},
                           {"sysinfo all quantity open", 0, "3"},
                           {"sysinfo mpegvideo quantity open", 0, "2"},
                           {"sysinfo waveaudio quantity open", 0, "1"},
                           {"sysinfo sequencer quantity open", 0, "0"},
                           {"sysinfo all name 2 open", 0, "v"},
                           {"sysinfo mpegvideo name 2 open", 0, "a"},
                           {"sysinfo w installname", 0, "waveaudio"},
                           {"info w product", 0, "Kelto wave audio"},
                           {"info v product", 0, "Kelto digital video"},
                           {"info w file", 0, "{wav}"},
                           {"info v file", 0, "{mpg}"},
                           {"info v version", 0, "1.0"},
                           {"info w version", 290, ""},
                           {"info a window text", 346, ""},
                           {"info w window text", 290, ""},
                           {"info all product", 279, ""},
                       });
    const auto text = Send(service, "info v window text");
    EXPECT_EQ(text.code, 0u);
    EXPECT_EQ(text.reply, Clip(ClipKind::Mpeg1).filename().string());
}

TEST(DeviceTypesTest, DigitalVideoWindowStepCueAndBreak) {
    MciService service;
    RunScript(service, {
                           {"open {mpg} alias v", 0, "1"},
                           {"open {wav} alias w", 0, "2"},
                           {"open {mid} alias s", 0, "3"},
                           {"open {mp3} alias a", 0, "4"},
                           // Thousandths of a frame a second, the current one at the current speed.
                           {"status v nominal frame rate", 0, "25000"},
                           {"set v speed 500", 0, ""},
                           {"status v frame rate", 0, "12500"},
                           {"set v speed 1000", 0, ""},
                           {"status w frame rate", 290, ""},
                           {"status v media present", 0, "true"},
                           {"status s media present", 0, "true"},
                           {"status w number of tracks", 0, "1"},
                           {"status v current track", 0, "1"},
                           {"status s start position", 0, "0"},
                           // No display here, so the device has no window to hand out.
                           {"status v window handle", 346, ""},
                           {"status v window visible", 0, "true"},
                           {"window v state hide", 0, ""},
                           {"status v window visible", 0, "false"},
                           {"window v state show maximized", 0, ""},
                           {"status v window maximized", 0, "true"},
                           {"status v window minimized", 0, "false"},
                           {"window v text \"My clip\" state iconic", 0, ""},
                           {"status v window minimized", 0, "true"},
                           {"info v window text", 0, "My clip"},
                           {"window v handle default", 0, ""},
                           {"window v handle 5", 346, ""},
                           {"window v state hide state show", 284, ""},
                           {"window v", 273, ""},
                           {"window w state hide", 261, ""},
                           {"window a state hide", 346, ""},
                           {"status a window visible", 346, ""},
                           {"where v window", 0, "0 0 320 240"},
                           {"put v window at 10 20 160 120", 0, ""},
                           {"where v window", 0, "10 20 160 120"},
                           {"where v destination", 0, "0 0 160 120"},
                           {"put v source at 0 0 160 120", 0, ""},
                           {"where v source", 0, "0 0 160 120"},
                           {"put v source at 0 0 400 240", 282, ""},
                           // Frame by frame on a paused picture.
                           {"set v time format frames", 0, ""},
                           {"seek v to 10", 0, ""},
                           {"step v by 5", 0, ""},
                           {"status v mode", 0, "paused"},
                           {"status v position", 0, "15"},
                           {"step v by 2 reverse", 0, ""},
                           {"status v position", 0, "13"},
                           {"step v", 0, ""},
                           {"status v position", 0, "14"},
                           {"step v by -20", 0, ""},
                           {"status v position", 0, "0"},
                           {"step w", 261, ""},
                           // Cued from stopped only; it stands paused, ready.
                           {"cue v to 20", 302, ""},
                           {"stop v", 0, ""},
                           {"cue v to 20", 0, ""},
                           {"status v mode", 0, "paused"},
                           {"status v position", 0, "20"},
                           {"cue v output", 302, ""},
                           {"stop v", 0, ""},
                           {"cue v to 26", 282, ""},
                           {"cue v input", 274, ""},
                           {"cue w output", 0, ""},
                           {"status w mode", 0, "paused"},
                           {"cue w input", 302, ""},
                           {"stop w", 0, ""},
                           {"cue w input", 0, ""},
                           {"record w", 274, ""},
                           {"record v", 261, ""},
                           {"save s x.wav", 261, ""},
                           {"cue w to 5", 259, ""},
                           {"cue s output", 261, ""},
                           {"break v on 27", 0, ""},
                           {"break w off", 0, ""},
                           {"break s", 273, ""},
                           {"break v on 1 off", 284, ""},
                       });
}

TEST(DeviceTypesTest, WaveFormatsAndTheSequencersTempoPortAndTimeFormats) {
    MciService service;
    RunScript(service, {
                           // The generated tone: 44.1 kHz, 16 bits, two channels, 1.000 s.
                           {"open {wav} alias w", 0, "1"},
                           {"status w format tag", 0, "pcm"},
                           {"status w channels", 0, "2"},
                           {"status w bitspersample", 0, "16"},
                           {"status w samplespersec", 0, "44100"},
                           {"status w bytespersec", 0, "176400"},
                           {"status w alignment", 0, "4"},
                           {"status w level", 0, "0"},
                           {"set w time format samples", 0, ""},
                           {"status w time format", 0, "samples"},
                           {"status w length", 0, "44100"},
                           {"seek w to 22050", 0, ""},
                           {"set w time format bytes", 0, ""},
                           {"status w position", 0, "88200"},
                           {"status w length", 0, "176400"},
                           {"play w from 176401", 282, ""},
                           {"set w time format frames", 293, ""},
                           {"set w time format song pointer", 259, ""},
                           {"set w time format ms", 0, ""},
                           // PCM's block and byte rate follow the channels, bits and rate.
                           {"set w channels 1", 0, ""},
                           {"status w alignment", 0, "2"},
                           {"set w bitspersample 8 samplespersec 22050", 0, ""},
                           {"status w bytespersec", 0, "22050"},
                           {"set w format tag pcm", 0, ""},
                           {"set w format tag mp3", 270, ""},
                           {"set w channels 0", 282, ""},
                           {"set w bitspersample 12", 282, ""},
                           {"status w tempo", 290, ""},
                           // The generated tune sets 120 beats a minute and lasts 1.000 s.
                           {"open {mid} alias s", 0, "2"},
                           {"status s tempo", 0, "120"},
                           {"status s port", 0, "mapper"},
                           {"set s time format song pointer", 0, ""},
                           {"status s time format", 0, "song pointer"},
                           {"status s length", 0, "8"},
                           {"set s time format smpte 25", 0, ""},
                           {"status s length", 0, "00:00:01:00"},
                           {"seek s to 0:0:0:12", 0, ""},
                           {"status s position", 0, "00:00:00:12"},
                           {"play s from 0:0:2:0", 282, ""},
                           {"seek s to 0:0:0:256", 270, ""},
                           {"set s time format smpte 30 drop", 0, ""},
                           {"status s time format", 0, "smpte 30 drop"},
                           {"set s time format bytes", 293, ""},
                           {"set s time format ms", 0, ""},
                           // Twice the tempo plays twice as fast.
                           {"set s tempo 240", 0, ""},
                           {"status s tempo", 0, "240"},
                           {"set s tempo 0", 282, ""},
                           {"set s port none", 0, ""},
                           {"status s port", 0, "none"},
                           {"set s port 2", 0, ""},
                           {"status s port", 0, "2"},
                           {"set s port mapper", 0, ""},
                           {"status s channels", 290, ""},
                           {"open {mpg} alias v", 0, "3"},
                           {"set v time format smpte 25", 259, ""},
                           {"set v time format hms", 293, ""},
                           {"set v time format msf", 293, ""},
                           {"set v time format tmsf", 293, ""},
                           {"status v tempo", 290, ""},
                       });
    // It still plays to its end at the new tempo.
    ASSERT_EQ(Send(service, "play s").code, 0u);
    EXPECT_TRUE(testsupport::WaitForMode(service, "s", "stopped"));
}

}  // namespace
}  // namespace kelto::mciservice

namespace kelto::mciservice {
namespace {

// MPEG program streams carry their time in packet stamps: the length is from
// the first picture's stamp to the end of the last picture, so the last frame
// can be sought and shown.
TEST(ProgramStreamLengthTest, FourSecondsAtTwentyFiveFramesReadsExactly) {
    for (const ClipKind kind : {ClipKind::Mpeg1, ClipKind::Vob}) {
        SCOPED_TRACE(testing::ExtensionOf(kind));
        MciService service;
        const std::string path = Clip(kind, 4000).string();
        ASSERT_EQ(Send(service, "open " + path + " type MPEGVideo alias v").code, 0u);
        EXPECT_EQ(Send(service, "status v length").reply, "4000");
        EXPECT_EQ(Send(service, "set v time format frames").code, 0u);
        EXPECT_EQ(Send(service, "status v length").reply, "100");
        EXPECT_EQ(Send(service, "seek v to 100").code, 0u);
        EXPECT_EQ(Send(service, "status v position").reply, "100");
    }
}

}  // namespace
}  // namespace kelto::mciservice
