// The finer rules scripts written for the command language rely on: opens by
// a device's name, which fault is told first, what a device's state allows,
// and which notifications come. Each row: command, code, reply, and the
// notifications it brings, "|" between them.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/service/ServiceTestSupport.h"

namespace kelto::mciservice {
namespace {

using testing::ClipKind;
using testsupport::Clip;
using testsupport::RunScript;
using testsupport::Send;

struct Row {
    std::string command;
    std::uint32_t code;
    std::string reply;
    std::string told;
};

class LanguageRulesTest : public ::testing::Test {
protected:
    static ServiceOptions Options(std::vector<std::string>& told) {
        ServiceOptions options;
        options.notify = [&told](std::string_view alias, NotifyStatus status) {
            told.push_back(std::string(alias) + " " + std::string(NotifyWord(status)));
        };
        return options;
    }

    void Run(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            RunScript(service_, {{row.command, row.code, row.reply}});
            std::string told;
            for (const std::string& line : std::exchange(told_, {})) {
                told += (told.empty() ? "" : "|") + line;
            }
            EXPECT_EQ(told, row.told) << row.command;
        }
    }

    std::vector<std::string> told_;
    MciService service_{Options(told_)};
    // Long enough that no play here ends by itself, however slow the machine.
    const std::string long_ = Clip(ClipKind::Wav, 20000).string();
};

TEST_F(LanguageRulesTest, OpensByADevicesNameAndTellsTheFirstFault) {
    Run({
        // The device name first: keywords of the language, devices not installed.
        {"open notify", 263, "", ""},
        {"open wait", 263, "", ""},
        {"open nosuchdevice", 263, "", ""},
        {"open ! alias x", 263, "", ""},
        {"open waveaudio! alias x", 263, "", ""},
        {"open cdaudio!{wav} alias x", 263, "", ""},
        {"open new", 299, "", ""},
        {"open new type waveaudio", 299, "", ""},
        {"open new alias n", 292, "", ""},
        {"open new type sequencer alias n", 274, "", ""},
        // Then the flags, which are the device type's own; the file comes last.
        {"open /no/such/take.wav alias y buffer 6", 275, "", ""},
        {"open /no/such/take.mid alias y buffer 6", 259, "", ""},
        {"open {wav} alias y shareable", 274, "", ""},
        {"open {mid} alias y sharable", 274, "", ""},
        {"open waveaudio!{wav} type sequencer alias y", 284, "", ""},
        {"open sequencer!{wav} alias y", 296, "", ""},
        {"open {mpg} alias waveaudio", 289, "", ""},
        {"open waveaudio!{wav} alias t", 0, "1", ""},
        {"capability t device type", 0, "waveaudio", ""},
        {"open {mpg} alias v shareable", 0, "2", ""},
        // A device alone: the sequencer has nothing to play until a file comes.
        {"open sequencer", 0, "3", ""},
        {"open sequencer", 265, "", ""},
        {"status sequencer media present", 0, "false", ""},
        {"status sequencer length", 0, "0", ""},
        {"play sequencer", 302, "", ""},
        {"seek sequencer to start", 302, "", ""},
        {"close sequencer", 0, "", ""},
        // The wave device alone records, as a new one.
        {"open waveaudio alias w", 0, "3", ""},
        {"capability w can record", 0, "true", ""},
        {"info w file", 302, "", ""},
        {"play w", 274, "", ""},
        {"close w", 0, "", ""},
        // A device named by its type opens for the command and closes after it.
        {"capability waveaudio can record", 0, "true", ""},
        {"info mpegvideo product", 0, "Kelto digital video", ""},
        {"status sequencer ready", 0, "true", ""},
        {"where waveaudio destination", 261, "", ""},
        {"sysinfo all quantity open", 0, "2", ""},
        // Items by number, tracks, an item twice.
        {"status t 4", 0, "stopped", ""},
        {"status t 1", 0, "1000", ""},
        {"status t 16386", 0, "2", ""},
        {"capability t 4", 0, "waveaudio", ""},
        {"status t 99", 290, "", ""},
        {"status t track", 270, "", ""},
        {"status t track one", 270, "", ""},
        {"status t track 1", 273, "", ""},
        {"status t length track 2", 282, "", ""},
        {"status t length track 1", 0, "1000", ""},
        {"status t position track 1", 0, "0", ""},
        {"status t mode mode", 284, "", ""},
        {"set t time format 8", 0, "", ""},
        {"status t time format", 0, "bytes", ""},
        {"set t time format 3", 293, "", ""},
        {"set t time format 0", 0, "", ""},
        // "all" knows only what every type knows; a refusal by any is 280.
        {"cue all", 261, "", ""},
        {"where all source", 261, "", ""},
        {"status all mode", 279, "", ""},
        {"set all speed 500", 259, "", ""},
        {"pause all", 280, "", ""},
        {"close all", 0, "", ""},
    });
}

TEST_F(LanguageRulesTest, ACommandTheStateDoesNotAllowIsRefused) {
    Run({
        {"open " + long_ + " alias a", 0, "1", ""},
        {"pause a", 302, "", ""},
        {"resume a", 302, "", ""},
        {"cue a output", 0, "", ""},
        {"status a mode", 0, "paused", ""},
        {"cue a output", 302, "", ""},
        {"play a", 0, "", ""},
        {"status a mode", 0, "playing", ""},
        {"cue a output", 302, "", ""},
        {"resume a", 0, "", ""},
        {"pause a", 0, "", ""},
        {"pause a", 0, "", ""},
        {"cue a input", 302, "", ""},
        {"stop a", 0, "", ""},
        {"open new type waveaudio alias n", 0, "2", ""},
        {"info n file", 302, "", ""},
        {"info n product", 0, "Kelto wave audio", ""},
        {"resume n", 302, "", ""},
        {"cue n input", 0, "", ""},
        {"resume n", 302, "", ""},
        // The colon forms, with numbers left out.
        {"seek a to :1", 0, "", ""},
        {"status a position", 0, "256", ""},
        {"seek a to 250::", 0, "", ""},
        {"status a position", 0, "250", ""},
        {"seek a to 1:2:3:4:5", 270, "", ""},
    });
    // The file's full path name, however it was opened.
    const std::filesystem::path wav = Clip(ClipKind::Wav);
    const std::string roundabout = (wav.parent_path() / "." / wav.filename()).string();
    RunScript(service_,
              {{"open " + roundabout + " alias r", 0, "3"}, {"info r file", 0, wav.string()}});
}

TEST_F(LanguageRulesTest, OneNotificationWaitsAtATime) {
    Run({
        {"open " + long_ + " alias a notify", 0, "1", "a successful"},
        {"play a notify", 0, "", ""},
        // Any command with notify supersedes it; one that ends the play aborts it.
        {"status a mode notify", 0, "playing", "a superseded|a successful"},
        {"play a notify", 0, "", ""},
        {"pause a", 0, "", ""},
        {"pause a notify", 0, "", "a superseded|a successful"},
        {"play a notify", 0, "", ""},
        {"info a product notify", 0, "Kelto wave audio", "a superseded|a successful"},
        {"play a notify", 0, "", ""},
        {"seek a to start", 0, "", "a aborted"},
        {"play a notify", 0, "", ""},
        {"stop a notify", 0, "", "a superseded|a successful"},
        {"play a notify", 0, "", ""},
        {"play a", 0, "", "a aborted"},
        {"play a notify", 0, "", ""},
        {"set a time format ms", 0, "", ""},
        {"seek a to 99999 notify", 282, "", "a superseded"},
        {"close a", 0, "", ""},
        {"close all notify", 0, "", ""},
        {"open " + long_ + " alias b", 0, "1", ""},
        {"open {mid} alias c", 0, "2", ""},
        {"play b notify", 0, "", ""},
        {"close all notify", 0, "", "b superseded|b successful|c successful"},
        // A device opened for one command is gone before it could be told.
        {"play {wav} notify", 300, "", ""},
        {"status waveaudio mode notify", 300, "", ""},
        {"status {wav} length", 0, "1000", ""},
    });
}

// A named pipe never answers a read until a writer comes: no command waits on it.
TEST_F(LanguageRulesTest, ANamedPipeIsRefusedAtOnce) {
    const std::filesystem::path dir = testsupport::ScratchDir();
    const std::string fifo = (dir / "fifo.mp4").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Run({
        {"open " + fifo + " alias m", 296, "", ""},
        {"status " + fifo + " length", 296, "", ""},
        {"open " + fifo + " type waveaudio alias m", 296, "", ""},
    });
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kelto::mciservice
