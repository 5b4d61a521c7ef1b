#include "samples/ClipEncoder.h"

#include <unistd.h>

#include <QProcess>
#include <QStringList>
#include <chrono>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "samples/MidiFile.h"
#include "samples/Mp4Turn.h"
#include "samples/Tune.h"

namespace kelto::samples {

namespace {

using Words = std::vector<std::string>;

constexpr int kFps = 25;
constexpr int kTuneRate = 44100;
constexpr int kAttempts = 3;

void Append(Words& words, const Words& more) {
    words.insert(words.end(), more.begin(), more.end());
}

// Unbounded, so a muxer waiting for one stream never starves while the other
// stream's queue sits full.
const Words kQueue{"queue", "max-size-buffers=0", "max-size-bytes=0", "max-size-time=0"};

// `tunePcm` holds the rendered tune as raw samples when the recipe asks for it.
Words AudioSource(const ClipRecipe& recipe, int rate, const std::string& tunePcm) {
    const std::string caps = "audio/x-raw,rate=" + std::to_string(rate) + ",channels=2";
    if (recipe.sound == ClipSound::Tune) {
        return {"filesrc",
                "location=" + tunePcm,
                "!",
                "rawaudioparse",
                "use-sink-caps=false",
                "format=pcm",
                "pcm-format=s16le",
                "sample-rate=" + std::to_string(kTuneRate),
                "num-channels=1",
                "!",
                "audioconvert",
                "!",
                "audioresample",
                "!",
                caps};
    }
    // 10 ms buffers, so the length comes out exact for any whole number of them.
    return {"audiotestsrc",
            "wave=sine",
            "freq=440",
            "num-buffers=" + std::to_string(recipe.durationMs / 10),
            "samplesperbuffer=" + std::to_string(rate / 100),
            "!",
            caps};
}

Words VideoSource(const ClipRecipe& recipe) {
    if (recipe.interlaced) {
        const std::string size =
            ",width=" + std::to_string(recipe.width) + ",height=" + std::to_string(recipe.height);
        return {"videotestsrc",
                "pattern=blink",
                "num-buffers=" + std::to_string(recipe.durationMs * kFps * 2 / 1000),
                "!",
                "video/x-raw,format=I420" + size + ",framerate=" + std::to_string(kFps * 2) + "/1",
                "!",
                "interlace",
                "field-pattern=1:1",
                "top-field-first=true",
                "!",
                "video/x-raw,interlace-mode=interleaved" + size};
    }
    Words words{"videotestsrc", recipe.solidRgb ? "pattern=solid-color" : "pattern=smpte"};
    if (recipe.solidRgb) {
        words.push_back("foreground-color=" +
                        std::to_string(0xff000000U | (*recipe.solidRgb & 0xffffffU)));
    }
    Append(words, {"num-buffers=" + std::to_string(recipe.durationMs * kFps / 1000), "!",
                   "video/x-raw,format=I420,width=" + std::to_string(recipe.width) +
                       ",height=" + std::to_string(recipe.height - recipe.blueTopRows) +
                       ",framerate=" + std::to_string(kFps) + "/1"});
    if (recipe.blueTopRows > 0) {
        Append(words, {"!", "videobox", "top=" + std::to_string(-recipe.blueTopRows), "fill=blue"});
    }
    if (recipe.showClock) {
        Append(words,
               {"!", "timeoverlay", "halignment=center", "valignment=center", "font-desc=Sans 24"});
    }
    return words;
}

// The whole pipeline as gst-launch-1.0's words: each word is one token to it,
// so a blank inside a word (a file name, a font) stays in its value.
Words PipelineFor(const ClipRecipe& recipe, const std::string& target, const std::string& tunePcm) {
    const Words mp3{"lamemp3enc", "target=bitrate", "bitrate=128", "cbr=true"};
    const Words mp2{"avenc_mp2", "!", "mpegaudioparse"};
    // Without B-frames, and a key frame every second, so that a short clip seeks
    // cleanly and its length is that of its pictures.
    const Words h264{"x264enc",  "speed-preset=ultrafast", "bframes=0", "key-int-max=25", "!",
                     "h264parse"};
    const Words aac{"audioconvert", "!", "avenc_aac", "!", "aacparse"};
    const Words vorbis{"audioconvert", "!", "vorbisenc"};
    const Words opus{"audioconvert", "!", "opusenc"};
    const Words ac3{"audioconvert", "!", "avenc_ac3", "!", "ac3parse"};
    Words words;
    auto add = [&words](const Words& more) { Append(words, more); };
    auto muxedVideo = [&](const Words& videoEncoder, int rate, const Words& audioEncoder,
                          const Words& muxer) {
        add(VideoSource(recipe));
        add({"!"});
        add(videoEncoder);
        add({"!"});
        add(kQueue);
        add({"!", "mux."});
        add(AudioSource(recipe, rate, tunePcm));
        add({"!"});
        add(audioEncoder);
        add({"!"});
        add(kQueue);
        add({"!"});
        add(muxer);
        add({"name=mux"});
    };
    // Sound alone: the source, then each stage in turn.
    auto sound = [&](int rate, std::initializer_list<Words> stages) {
        add(AudioSource(recipe, rate, tunePcm));
        for (const Words& stage : stages) {
            add({"!"});
            add(stage);
        }
    };
    switch (recipe.kind) {
        case ClipKind::Mp3:
            sound(44100, {mp3});
            break;
        case ClipKind::Mp2:
            sound(44100, {{"avenc_mp2"}});
            break;
        case ClipKind::Wav:
            sound(44100, {{"wavenc"}});
            break;
        case ClipKind::Mpeg1:
            muxedVideo({"mpeg2enc", "format=0"}, 44100, mp2, {"mplex", "format=0"});
            break;
        case ClipKind::Vob:
            // mplex writes the timestamps a reader needs to find the length.
            muxedVideo(recipe.interlaced ? Words{"mpeg2enc", "format=3", "interlace-mode=1"}
                                         : Words{"mpeg2enc", "format=3"},
                       48000, mp2, {"mplex", "format=8"});
            break;
        case ClipKind::Avi:
            muxedVideo({"avenc_mpeg4"}, 44100, mp3, {"avimux"});
            break;
        case ClipKind::Mp4:
            muxedVideo(h264, 44100, aac, {"mp4mux"});
            break;
        case ClipKind::M4a:
            sound(44100, {aac, {"mp4mux"}});
            break;
        case ClipKind::Mkv:
            muxedVideo(h264, 44100, vorbis, {"matroskamux"});
            break;
        case ClipKind::WebM:
            // The fastest settings: a test clip needs no quality.
            muxedVideo({"vp9enc", "deadline=1", "cpu-used=8"}, 48000, opus, {"webmmux"});
            break;
        case ClipKind::Ogg:
            sound(44100, {vorbis, {"oggmux"}});
            break;
        case ClipKind::Opus:
            sound(48000, {opus, {"oggmux"}});
            break;
        case ClipKind::Flac:
            sound(44100, {{"audioconvert", "!", "flacenc"}});
            break;
        case ClipKind::ThreeGp:
        case ClipKind::ThreeG2:
            // The same boxes; a 3G2 is branded as 3GPP2 when written (see Encode).
            muxedVideo(h264, 44100, aac, {"3gppmux"});
            break;
        case ClipKind::Mts:
            // AVCHD: 192-byte packets, each with its arrival time.
            muxedVideo(h264, 48000, ac3, {"mpegtsmux", "m2ts-mode=true"});
            break;
        case ClipKind::M4b:
            // Marked as a book when written (see Encode).
            sound(44100, {aac, {"mp4mux"}});
            break;
        case ClipKind::Aac:
            sound(44100, {aac, {"audio/mpeg,stream-format=adts"}});
            break;
        case ClipKind::Ac3:
            sound(48000, {ac3});
            break;
        case ClipKind::Mka:
            sound(44100, {vorbis, {"matroskamux"}});
            break;
        case ClipKind::Midi:
            throw std::logic_error("a MIDI clip is written, not encoded");
    }
    add({"!", "filesink", "location=" + target});
    return words;
}

// Ample for software encoding on a busy machine, short enough to try again
// when the MPEG multiplexer stalls, as it now and then does under load.
std::chrono::milliseconds AttemptBound(const ClipRecipe& recipe) {
    const auto pixels = static_cast<long long>(recipe.width) * recipe.height;
    const long long msPerSecond = pixels > 320LL * 240 ? 8000 : 4000;
    return std::chrono::milliseconds(10000 + msPerSecond * recipe.durationMs / 1000);
}

// One run of gst-launch-1.0 in a process of its own: the MPEG multiplexer
// ends its process when it rejects its input, and that must not be ours.
// Returns what went wrong, or an empty text when the clip was made.
std::string RunEncoder(const Words& pipeline, std::chrono::milliseconds bound) {
    QStringList arguments{QStringLiteral("-q"), QStringLiteral("-e")};
    for (const std::string& word : pipeline) arguments << QString::fromStdString(word);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("gst-launch-1.0"), arguments);
    if (!child.waitForFinished(static_cast<int>(bound.count()))) {
        if (child.state() == QProcess::NotRunning) {
            return "gst-launch-1.0 could not be started: " + child.errorString().toStdString();
        }
        child.kill();
        child.waitForFinished();
        return "gst-launch-1.0 hung and was killed";
    }
    if (child.exitStatus() != QProcess::NormalExit) return "gst-launch-1.0 was ended by a signal";
    if (child.exitCode() != 0) {
        return "gst-launch-1.0 exited with " + std::to_string(child.exitCode()) + ": " +
               child.readAll().trimmed().toStdString();
    }
    return {};
}

void Encode(const ClipRecipe& recipe, const std::filesystem::path& target) {
    const std::string tunePcm = target.string() + ".pcm";
    if (recipe.sound == ClipSound::Tune) {
        const std::vector<std::int16_t> samples =
            RenderTune(SampleTune(), recipe.durationMs, kTuneRate);
        std::ofstream out(tunePcm, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(samples.data()),
                  static_cast<std::streamsize>(samples.size() * sizeof(std::int16_t)));
        if (!out.flush()) throw std::runtime_error("cannot write " + tunePcm);
    }
    const Words pipeline = PipelineFor(recipe, target.string(), tunePcm);
    std::string failure;
    // The encode is deterministic; what fails now and then is the machine
    // (a stall or a start under load), so a fresh attempt is the remedy.
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        failure = RunEncoder(pipeline, AttemptBound(recipe));
        std::error_code ec;
        if (failure.empty() && std::filesystem::file_size(target, ec) > 0 && !ec) {
            if (recipe.sideways) TurnMp4PictureClockwise(target);
            if (recipe.kind == ClipKind::M4b) SetMp4MajorBrand(target, "M4B ");
            if (recipe.kind == ClipKind::ThreeG2) SetMp4MajorBrand(target, "3g2a");
            break;
        }
        if (failure.empty()) failure = "gst-launch-1.0 wrote nothing";
    }
    std::error_code ec;
    std::filesystem::remove(tunePcm, ec);
    if (!failure.empty()) {
        throw std::runtime_error("making " + target.string() + ": " + failure + " (" +
                                 std::to_string(kAttempts) + " attempts)");
    }
}

void WriteMidi(const ClipRecipe& recipe, const std::filesystem::path& target) {
    const auto bytes = recipe.sound == ClipSound::Tune
                           ? MakeMidiFile(SampleTune(), recipe.durationMs, 4)
                           : MakeScaleMidiFile(recipe.durationMs);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + target.string());
    }
}

void Check(const ClipRecipe& recipe) {
    if (recipe.durationMs < 100 || recipe.durationMs > 60000) {
        throw std::invalid_argument("clip length must be between 100 ms and 60 s");
    }
    if (recipe.width < 16 || recipe.width > 1920 || recipe.height < 16 || recipe.height > 1080) {
        throw std::invalid_argument("picture size must be between 16x16 and 1920x1080");
    }
    if (recipe.blueTopRows < 0 || recipe.height - recipe.blueTopRows < 16) {
        throw std::invalid_argument("the blue rows must leave 16 rows of the picture");
    }
    if ((recipe.interlaced && (recipe.kind != ClipKind::Vob || recipe.height % 32 != 0)) ||
        (recipe.sideways && recipe.kind != ClipKind::Mp4)) {
        throw std::invalid_argument(
            "interlaced clips are VOBs of a height in 32s, sideways ones MP4s");
    }
}

}  // namespace

void EncodeWithLaunch(const std::vector<std::string>& pipeline, const std::filesystem::path& target,
                      std::chrono::milliseconds bound) {
    std::string failure;
    // A fresh attempt is the remedy for a machine that stalled the last one.
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        failure = RunEncoder(pipeline, bound);
        std::error_code ec;
        if (failure.empty() && std::filesystem::file_size(target, ec) > 0 && !ec) return;
        if (failure.empty()) failure = "gst-launch-1.0 wrote nothing";
    }
    throw std::runtime_error("making " + target.string() + ": " + failure + " (" +
                             std::to_string(kAttempts) + " attempts)");
}

std::vector<std::string> ElementsFor(const ClipRecipe& recipe) {
    if (recipe.kind == ClipKind::Midi) return {};
    const Words words = PipelineFor(recipe, "clip", "tune.pcm");
    std::vector<std::string> elements;
    bool next = true;  // the first word, and each after a link, starts an element
    for (const std::string& word : words) {
        if (word == "!") {
            next = true;
            continue;
        }
        // Caps ("audio/x-raw,...") and links to a named element ("mux.") are none.
        if (next && word.find('/') == std::string::npos && !word.ends_with('.') &&
            word.find('=') == std::string::npos) {
            elements.push_back(word);
        }
        next = false;
    }
    return elements;
}

std::string ExtensionOf(ClipKind kind) {
    switch (kind) {
        case ClipKind::Mp3:
            return ".mp3";
        case ClipKind::Mp2:
            return ".mp2";
        case ClipKind::Wav:
            return ".wav";
        case ClipKind::Midi:
            return ".mid";
        case ClipKind::Mpeg1:
            return ".mpg";
        case ClipKind::Avi:
            return ".avi";
        case ClipKind::Vob:
            return ".vob";
        case ClipKind::Mp4:
            return ".mp4";
        case ClipKind::M4a:
            return ".m4a";
        case ClipKind::Mkv:
            return ".mkv";
        case ClipKind::WebM:
            return ".webm";
        case ClipKind::Ogg:
            return ".ogg";
        case ClipKind::Opus:
            return ".opus";
        case ClipKind::Flac:
            return ".flac";
        case ClipKind::ThreeGp:
            return ".3gp";
        case ClipKind::ThreeG2:
            return ".3g2";
        case ClipKind::Mts:
            return ".mts";
        case ClipKind::M4b:
            return ".m4b";
        case ClipKind::Aac:
            return ".aac";
        case ClipKind::Ac3:
            return ".ac3";
        case ClipKind::Mka:
            return ".mka";
    }
    return {};
}

bool HasPicture(ClipKind kind) {
    switch (kind) {
        case ClipKind::Mpeg1:
        case ClipKind::Avi:
        case ClipKind::Vob:
        case ClipKind::Mp4:
        case ClipKind::Mkv:
        case ClipKind::WebM:
        case ClipKind::ThreeGp:
        case ClipKind::ThreeG2:
        case ClipKind::Mts:
            return true;
        case ClipKind::Mp3:
        case ClipKind::Mp2:
        case ClipKind::Wav:
        case ClipKind::Midi:
        case ClipKind::M4a:
        case ClipKind::Ogg:
        case ClipKind::Opus:
        case ClipKind::Flac:
        case ClipKind::M4b:
        case ClipKind::Aac:
        case ClipKind::Ac3:
        case ClipKind::Mka:
            return false;
    }
    return false;
}

void WriteClip(const ClipRecipe& recipe, const std::filesystem::path& target) {
    Check(recipe);
    std::error_code ec;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ec);
        if (ec) {
            throw std::runtime_error("cannot create " + target.parent_path().string() + ": " +
                                     ec.message());
        }
    }
    const auto partial = target.string() + ".part" + std::to_string(getpid());
    try {
        if (recipe.kind == ClipKind::Midi) {
            WriteMidi(recipe, partial);
        } else {
            Encode(recipe, partial);
        }
    } catch (...) {
        std::filesystem::remove(partial, ec);
        throw;
    }
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        throw std::runtime_error("cannot store " + target.string() + ": " + ec.message());
    }
}

}  // namespace kelto::samples
