#include "samples/FilmClip.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "samples/ClipEncoder.h"

namespace kelto::samples {

namespace {

using Words = std::vector<std::string>;

constexpr int kFilmFps = 25;
constexpr int kFilmRate = 48000;

void Add(Words& words, const Words& more) { words.insert(words.end(), more.begin(), more.end()); }

// The track's language and name as the multiplexer writes them.
Words TrackTags(const std::string& language, const std::string& title) {
    std::string tags;
    if (!language.empty()) tags += "language-code=" + language;
    if (!title.empty()) tags += (tags.empty() ? "" : ",") + std::string("title=") + title;
    if (tags.empty()) return {};
    return {"!", "taginject", "tags=\"" + tags + "\""};
}

const Words kFilmQueue{"!", "queue", "max-size-buffers=0", "max-size-bytes=0", "max-size-time=0"};

std::string SrtTime(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

}  // namespace

std::string SubRipCues(const std::vector<std::string>& lines, int cueMs) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int start = static_cast<int>(i) * cueMs;
        text += std::to_string(i + 1) + "\n" + SrtTime(start) + " --> " + SrtTime(start + cueMs) +
                "\n" + lines[i] + "\n\n";
    }
    return text;
}

void WriteFilm(const FilmRecipe& recipe, const std::filesystem::path& target) {
    const std::string partial = target.string() + ".part" + std::to_string(getpid());
    std::vector<std::string> textFiles;
    Words words{"videotestsrc",
                "pattern=solid-color",
                "foreground-color=" + std::to_string(0xff000000U | (recipe.rgb & 0xffffffU)),
                "num-buffers=" + std::to_string(recipe.durationMs * kFilmFps / 1000),
                "!",
                "video/x-raw,format=I420,width=" + std::to_string(recipe.width) + ",height=" +
                    std::to_string(recipe.height) + ",framerate=" + std::to_string(kFilmFps) + "/1",
                "!",
                "x264enc",
                "speed-preset=ultrafast",
                "bframes=0",
                "key-int-max=25",
                "!",
                "h264parse"};
    Add(words, kFilmQueue);
    Add(words, {"!", "mux."});
    for (std::size_t i = 0; i < recipe.sounds.size(); ++i) {
        const FilmSound& sound = recipe.sounds[i];
        const int channels = sound.surround ? 6 : 2;
        Add(words, {"audiotestsrc", "wave=sine", "freq=" + std::to_string(sound.toneHz),
                    "num-buffers=" + std::to_string(recipe.durationMs / 10),
                    "samplesperbuffer=" + std::to_string(kFilmRate / 100), "!",
                    "audio/x-raw,rate=" + std::to_string(kFilmRate) + ",channels=1", "!",
                    "audioconvert", "!",
                    "audio/x-raw,channels=" + std::to_string(channels) +
                        (sound.surround ? ",channel-mask=(bitmask)0x3f" : ""),
                    "!"});
        if (sound.surround) {
            Add(words, {"avenc_ac3", "!", "ac3parse"});
        } else {
            Add(words, {"vorbisenc"});
        }
        Add(words, TrackTags(sound.language, sound.title));
        Add(words, kFilmQueue);
        Add(words, {"!", "mux.audio_" + std::to_string(i)});
    }
    for (std::size_t i = 0; i < recipe.texts.size(); ++i) {
        const std::string file = partial + "." + std::to_string(i) + ".srt";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << recipe.texts[i].subRip;
        if (!out.flush()) throw std::runtime_error("cannot write " + file);
        textFiles.push_back(file);
        Add(words, {"filesrc", "location=" + file, "!", "subparse"});
        Add(words, TrackTags(recipe.texts[i].language, {}));
        Add(words, kFilmQueue);
        Add(words, {"!", "mux.subtitle_" + std::to_string(i)});
    }
    Add(words, {"matroskamux", "name=mux", "!", "filesink", "location=" + partial});
    std::error_code ec;
    try {
        const auto bound = std::chrono::milliseconds(20000 + 4 * recipe.durationMs);
        EncodeWithLaunch(words, partial, bound);
    } catch (...) {
        for (const std::string& file : textFiles) std::filesystem::remove(file, ec);
        std::filesystem::remove(partial, ec);
        throw;
    }
    for (const std::string& file : textFiles) std::filesystem::remove(file, ec);
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        throw std::runtime_error("cannot store " + target.string() + ": " + ec.message());
    }
}

}  // namespace kelto::samples
