#include "tests/support/media/TestClips.h"

#include <gst/gst.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>

#include "tests/support/media/MidiFileWriter.h"

namespace kelto::testing {

namespace {

struct GstObjectDeleter {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
using ElementPtr = std::unique_ptr<GstElement, GstObjectDeleter>;
using BusPtr = std::unique_ptr<GstBus, GstObjectDeleter>;

struct MessageDeleter {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
using MessagePtr = std::unique_ptr<GstMessage, MessageDeleter>;

struct ErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorDeleter>;

// Sets the pipeline to NULL before dropping it, whatever way we leave.
struct PipelineGuard {
    GstElement* pipeline;
    ~PipelineGuard() { gst_element_set_state(pipeline, GST_STATE_NULL); }
};

constexpr int kFps = 25;
constexpr GstClockTime kEncodeTimeout = 20 * GST_SECOND;

// Unbounded, so a muxer waiting for one stream never starves while the other
// stream's queue sits full.
constexpr const char* kQueue = "queue max-size-buffers=0 max-size-bytes=0 max-size-time=0";

std::string AudioSource(int durationMs, int rate) {
    // 10 ms buffers, so the length comes out exact for any whole number of them.
    return "audiotestsrc wave=sine freq=440 num-buffers=" + std::to_string(durationMs / 10) +
           " samplesperbuffer=" + std::to_string(rate / 100) +
           " ! audio/x-raw,rate=" + std::to_string(rate) + ",channels=2";
}

std::string VideoSource(int durationMs) {
    return "videotestsrc pattern=smpte num-buffers=" + std::to_string(durationMs * kFps / 1000) +
           " ! video/x-raw,format=I420,width=320,height=240,framerate=" + std::to_string(kFps) +
           "/1";
}

std::string PipelineFor(ClipKind kind, int durationMs) {
    switch (kind) {
        case ClipKind::Mp3:
            return AudioSource(durationMs, 44100) +
                   " ! lamemp3enc target=bitrate bitrate=128 cbr=true ! filesink name=sink";
        case ClipKind::Mp2:
            return AudioSource(durationMs, 44100) + " ! avenc_mp2 ! filesink name=sink";
        case ClipKind::Wav:
            return AudioSource(durationMs, 44100) + " ! wavenc ! filesink name=sink";
        case ClipKind::Mpeg1:
            return VideoSource(durationMs) + " ! mpeg2enc format=0 ! " + kQueue + " ! mux. " +
                   AudioSource(durationMs, 44100) + " ! avenc_mp2 ! " + kQueue +
                   " ! mplex format=0 name=mux ! filesink name=sink";
        case ClipKind::Vob:
            // mplex writes the timestamps a reader needs to find the length.
            return VideoSource(durationMs) + " ! mpeg2enc format=3 ! " + kQueue + " ! mux. " +
                   AudioSource(durationMs, 48000) + " ! avenc_mp2 ! " + kQueue +
                   " ! mplex format=8 name=mux ! filesink name=sink";
        case ClipKind::Avi:
            return VideoSource(durationMs) + " ! avenc_mpeg4 ! " + kQueue + " ! mux. " +
                   AudioSource(durationMs, 44100) +
                   " ! lamemp3enc target=bitrate bitrate=128 cbr=true ! " + kQueue +
                   " ! avimux name=mux "
                   "! filesink name=sink";
        case ClipKind::Midi:
            break;
    }
    throw std::logic_error("no pipeline for this clip kind");
}

void Encode(ClipKind kind, int durationMs, const std::filesystem::path& target) {
    if (!gst_is_initialized()) {
        gst_init(nullptr, nullptr);
    }
    GError* rawError = nullptr;
    ElementPtr pipeline{gst_parse_launch(PipelineFor(kind, durationMs).c_str(), &rawError)};
    ErrorPtr parseError{rawError};
    if (pipeline) {
        gst_object_ref_sink(pipeline.get());
    }
    if (!pipeline || parseError) {
        throw std::runtime_error("cannot build the encoder for " + target.string() + ": " +
                                 (parseError ? parseError->message : "unknown"));
    }
    ElementPtr sink{gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink")};
    g_object_set(sink.get(), "location", target.c_str(), nullptr);

    PipelineGuard guard{pipeline.get()};
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        throw std::runtime_error("cannot start the encoder for " + target.string());
    }
    BusPtr bus{gst_element_get_bus(pipeline.get())};
    MessagePtr message{gst_bus_timed_pop_filtered(
        bus.get(), kEncodeTimeout,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))};
    if (!message) {
        throw std::runtime_error("encoding " + target.string() + " timed out");
    }
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message.get(), &error, nullptr);
        ErrorPtr owned{error};
        throw std::runtime_error("encoding " + target.string() + " failed: " + owned->message);
    }
}

void WriteMidi(int durationMs, const std::filesystem::path& target) {
    const auto bytes = MakeMidiFile(durationMs);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + target.string());
    }
}

std::string NameOf(ClipKind kind) {
    switch (kind) {
        case ClipKind::Mp3:
            return "tone";
        case ClipKind::Mp2:
            return "tone-layer2";
        case ClipKind::Wav:
            return "tone-pcm";
        case ClipKind::Midi:
            return "scale";
        case ClipKind::Mpeg1:
            return "pattern-mpeg1";
        case ClipKind::Avi:
            return "pattern-avi";
        case ClipKind::Vob:
            return "pattern-program";
    }
    return "clip";
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
    }
    return {};
}

std::filesystem::path DefaultClipDir() { return KELTO_TEST_MEDIA_DIR; }

std::filesystem::path MakeClip(ClipKind kind, const std::filesystem::path& dir, int durationMs) {
    if (durationMs < 100 || durationMs > 60000) {
        throw std::runtime_error("clip length must be between 100 ms and 60 s");
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        throw std::runtime_error("cannot create " + dir.string() + ": " + ec.message());
    }
    const auto target =
        dir / (NameOf(kind) + "-" + std::to_string(durationMs) + "ms" + ExtensionOf(kind));
    if (std::filesystem::is_regular_file(target, ec) &&
        std::filesystem::file_size(target, ec) > 0 && !ec) {
        return target;
    }
    // Written under a private name and renamed, so a reader never sees half a clip.
    const auto partial = dir / (target.filename().string() + ".part" + std::to_string(getpid()));
    try {
        if (kind == ClipKind::Midi) {
            WriteMidi(durationMs, partial);
        } else {
            Encode(kind, durationMs, partial);
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
    return target;
}

}  // namespace kelto::testing
