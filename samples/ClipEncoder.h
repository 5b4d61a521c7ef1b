#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelto::samples {

// The first seven are the kinds the file dialog has always named; then what
// people have today: MP4 (H.264 + AAC), M4A (AAC), MKV (H.264 + Vorbis),
// WebM (VP9 + Opus), Ogg Vorbis, Opus and FLAC; then the kinds phones,
// camcorders and audiobooks bring: a phone's 3GP and 3G2 (H.264 + AAC), a
// camcorder's MPEG transport stream in 192-byte packets (H.264 + AC-3, .mts),
// an M4B audiobook (AAC, marked as a book), raw AAC (ADTS), raw AC-3 and
// Matroska sound (Vorbis, .mka).
enum class ClipKind {
    Mp3,
    Mp2,
    Wav,
    Midi,
    Mpeg1,
    Avi,
    Vob,
    Mp4,
    M4a,
    Mkv,
    WebM,
    Ogg,
    Opus,
    Flac,
    ThreeGp,
    ThreeG2,
    Mts,
    M4b,
    Aac,
    Ac3,
    Mka
};

// What a made clip sounds like.
enum class ClipSound {
    Tone,  // a steady 440 Hz sine
    Tune,  // the sample tune (see Tune.h)
};

// What to make. Video kinds show a colour-bar test pattern at 25 fps.
struct ClipRecipe {
    ClipKind kind = ClipKind::Mp3;
    int durationMs = 1000;
    int width = 320;
    int height = 240;
    ClipSound sound = ClipSound::Tone;
    // Video only: the running time drawn over the pattern, so a viewer sees it move.
    bool showClock = false;
    // Video only: one colour (0xRRGGBB) over the whole picture instead of the
    // pattern, so that where the picture lands on a screen can be measured.
    std::optional<std::uint32_t> solidRgb;
    // Video only: this many rows of blue along the top of the stored picture,
    // so that a viewer sees which way the picture is turned.
    int blueTopRows = 0;
    // MP4 only: the picture is stored on its side, as a phone writes a film
    // taken upright; its track says to turn it a quarter clockwise for showing.
    bool sideways = false;
    // MPEG-2 (VOB) only: interlaced pictures whose two fields come from a white
    // and a black picture in turn, so that a picture shown without
    // deinterlacing is combed with white and black lines. The height must be
    // a multiple of 32 (each field a whole number of macroblock rows).
    bool interlaced = false;
};

// ".mp3", ".mp2", ".wav", ".mid", ".mpg", ".avi", ".vob", ".mp4", ".m4a",
// ".mkv", ".webm", ".ogg", ".opus", ".flac", ".3gp", ".3g2", ".mts", ".m4b",
// ".aac", ".ac3", ".mka"
std::string ExtensionOf(ClipKind kind);

// Whether clips of that kind carry pictures.
bool HasPicture(ClipKind kind);

// The engine's elements the clip is made with, by factory name ("x264enc",
// "mpegtsmux", ...): a kind whose elements are not all installed cannot be
// made here. None for MIDI, which is written, not encoded.
std::vector<std::string> ElementsFor(const ClipRecipe& recipe);

// Makes the clip at `target`, replacing what is there. It is written under a
// private name beside `target` and renamed when complete, so a reader never
// sees half a clip and a failed attempt leaves nothing behind. Every kind but
// MIDI is encoded by gst-launch-1.0 in a process of its own. Throws
// std::runtime_error when the clip cannot be made (unknown encoder, disk
// full, encoding taking longer than a generous bound on each of three
// attempts); std::invalid_argument for a length outside 100 ms to 60 s or a
// picture outside 16x16 to 1920x1080. A tune longer than the clip is cut at
// the clip's end.
void WriteClip(const ClipRecipe& recipe, const std::filesystem::path& target);

// Runs gst-launch-1.0 on `pipeline` (one word a token) in a process of its
// own until it has written `target`, at most three times, each within
// `bound`. Throws std::runtime_error when no attempt made it.
void EncodeWithLaunch(const std::vector<std::string>& pipeline, const std::filesystem::path& target,
                      std::chrono::milliseconds bound);

}  // namespace kelto::samples
