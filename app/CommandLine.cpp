#include "app/CommandLine.h"

#include "KeltoVersion.h"

namespace kelto::app {

namespace {

constexpr const char* kUsage =
    "Usage: kelto-player [--help] [--version] [--forget] [--] [FILE...]\n"
    "\n"
    "Kelto Player, a small media player for audio and video files.\n"
    "The playlist is kept in pl1.txt (titles) and pl2.txt (full paths) in the\n"
    "folder the player is started from.\n"
    "\n"
    "Each FILE that holds sound or video the media engine knows (MP3, WAV, MIDI,\n"
    "MPEG, AVI, VOB, MP4, M4A, MKV, WebM, Ogg, Opus, FLAC, 3GP, MTS/M2TS, M4B,\n"
    "AAC, AC-3, MKA, ...; told by content, not by name) is appended to the playlist and the first "
    "of them is played;\n"
    "any other is skipped with a line on standard error. When a player already runs in this "
    "folder, the\n"
    "files go to that player (which plays the first and comes to the front)\n"
    "and this start ends at once: one folder, one player, one playlist.\n"
    "\n"
    "A FILE may also be a folder (its media files, in natural name order), a\n"
    "playlist file (M3U, M3U8, PLS, XSPF: its entries in order, the first played)\n"
    "or an http:// or https:// address, kept in the playlist as given. Folders\n"
    "and playlists are added while the window goes on, counting on the title\n"
    "strip; Escape stops the adding. Ctrl+S saves the playlist as M3U8.\n"
    "\n"
    "Files can also be dropped on the window (a folder adds the media files\n"
    "below it), and the player answers the desktop's media keys and controls\n"
    "(MPRIS 2, org.mpris.MediaPlayer2.kelto_player; try playerctl), which show\n"
    "the playing file's tags and cover. A sound file's video area shows its cover.\n"
    "An http:// or https:// address in the playlist plays as a live station, its\n"
    "current song on the title strip.\n"
    "\n"
    "In full screen: F1 play the selected entry again, F2 pause or resume,\n"
    "F3 stop and leave full screen, F4 slow motion, Escape leave full screen.\n"
    "In the window and full screen: V next subtitle (then none), B next sound\n"
    "track, + (or =) and - (also the keypad's), Ctrl+Up or Ctrl+Down and the\n"
    "wheel over the picture the volume by 5 %, M mute or unmute.\n"
    "\n"
    "The player remembers, in $XDG_STATE_HOME/kelto-player/history.sqlite\n"
    "(~/.local/state/kelto-player/ when unset): where each file was left, the\n"
    "audio and subtitle tracks chosen for it and when it was last played, under\n"
    "a digest of its path, size and time rather than its name; and the volume\n"
    "and mute. A file left more than 30 s in and before its last 5 % is offered\n"
    "for ten seconds when it plays again: press R to continue from there.\n"
    "\n"
    "  -h, --help     show this text and exit\n"
    "      --version  show the version and exit\n"
    "      --forget   delete the history and exit\n"
    "      --         take every later argument as a file\n"
    "\n"
    "Exit status: 0 when done (also when the files went to the folder's\n"
    "player), 1 when a player runs in this folder and cannot be reached,\n"
    "2 when there is no display.\n";

}  // namespace

CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& args) {
    CommandLineAnswer answer;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            return {true, 0, kUsage, {}};
        } else if (options && arg == "--forget") {
            CommandLineAnswer forget{true, 0, {}, {}};
            forget.forget = true;
            return forget;
        } else if (options && arg == "--version") {
            return {true, 0, std::string("kelto-player ") + kVersion + "\n", {}};
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            answer.text += "kelto-player: ignoring unknown option " + arg +
                           " (a file whose name starts with '-' goes after --)\n";
        } else {
            answer.files.push_back(arg);
        }
    }
    return answer;
}

}  // namespace kelto::app
