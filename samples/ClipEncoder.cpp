#include "samples/ClipEncoder.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "samples/EncoderProcess.h"
#include "samples/GstClipEncoder.h"
#include "samples/MidiFile.h"
#include "samples/Tune.h"

namespace kelto::samples {

namespace {

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
}

// The MPEG multiplexer ends its whole process when it rejects its input,
// which it has been seen to do on a busy machine; in a caller such as a test
// run that would be the end of the caller. Those kinds are made in a process
// of their own.
void Encode(const ClipRecipe& recipe, const std::filesystem::path& target) {
    if (recipe.kind == ClipKind::Mpeg1 || recipe.kind == ClipKind::Vob) {
        EncodeInOwnProcess(recipe, target);
    } else {
        EncodeWithGStreamer(recipe, target);
    }
}

}  // namespace

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
            return true;
        case ClipKind::Mp3:
        case ClipKind::Mp2:
        case ClipKind::Wav:
        case ClipKind::Midi:
        case ClipKind::M4a:
        case ClipKind::Ogg:
        case ClipKind::Opus:
        case ClipKind::Flac:
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
