#include "samples/GstClipEncoder.h"

#include <gst/gst.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "mciservice/GstHandles.h"
#include "samples/MidiFile.h"
#include "samples/Tune.h"

namespace kelto::samples {

namespace {

using mciservice::GErrorPtr;
using mciservice::GstBufferPtr;
using mciservice::GstMessagePtr;
using mciservice::GstPipelinePtr;
using mciservice::GstPtr;

constexpr int kFps = 25;
constexpr int kTuneRate = 44100;
// Unbounded, so a muxer waiting for one stream never starves while the other
// stream's queue sits full.
constexpr const char* kQueue = "queue max-size-buffers=0 max-size-bytes=0 max-size-time=0";
// Without B-frames, and a key frame every second, so that a short clip seeks
// cleanly and its length is that of its pictures.
constexpr const char* kH264 = "x264enc speed-preset=ultrafast bframes=0 key-int-max=25 ! h264parse";
constexpr const char* kAac = "audioconvert ! avenc_aac ! aacparse";

std::string ToneSource(int durationMs, int rate) {
    // 10 ms buffers, so the length comes out exact for any whole number of them.
    return "audiotestsrc wave=sine freq=440 num-buffers=" + std::to_string(durationMs / 10) +
           " samplesperbuffer=" + std::to_string(rate / 100) +
           " ! audio/x-raw,rate=" + std::to_string(rate) + ",channels=2";
}

// The tune's samples are pushed in by Encode().
std::string TuneSource(int rate) {
    return "appsrc name=tune format=time caps=audio/x-raw,format=S16LE,layout=interleaved,rate=" +
           std::to_string(kTuneRate) +
           ",channels=1 ! audioconvert ! audioresample ! audio/x-raw,rate=" + std::to_string(rate) +
           ",channels=2";
}

std::string AudioSource(const ClipRecipe& recipe, int rate) {
    return recipe.sound == ClipSound::Tune ? TuneSource(rate) : ToneSource(recipe.durationMs, rate);
}

std::string VideoSource(const ClipRecipe& recipe) {
    const std::string pattern =
        recipe.solidRgb ? "solid-color foreground-color=" +
                              std::to_string(0xff000000U | (*recipe.solidRgb & 0xffffffU))
                        : std::string("smpte");
    std::string source = "videotestsrc pattern=" + pattern +
                         " num-buffers=" + std::to_string(recipe.durationMs * kFps / 1000) +
                         " ! video/x-raw,format=I420,width=" + std::to_string(recipe.width) +
                         ",height=" + std::to_string(recipe.height) +
                         ",framerate=" + std::to_string(kFps) + "/1";
    if (recipe.showClock) {
        source += " ! timeoverlay halignment=center valignment=center font-desc=\"Sans 24\"";
    }
    return source;
}

std::string PipelineFor(const ClipRecipe& recipe) {
    switch (recipe.kind) {
        case ClipKind::Mp3:
            return AudioSource(recipe, 44100) +
                   " ! lamemp3enc target=bitrate bitrate=128 cbr=true ! filesink name=sink";
        case ClipKind::Mp2:
            return AudioSource(recipe, 44100) + " ! avenc_mp2 ! filesink name=sink";
        case ClipKind::Wav:
            return AudioSource(recipe, 44100) + " ! wavenc ! filesink name=sink";
        case ClipKind::Mpeg1:
            return VideoSource(recipe) + " ! mpeg2enc format=0 ! " + kQueue + " ! mux. " +
                   AudioSource(recipe, 44100) + " ! avenc_mp2 ! mpegaudioparse ! " + kQueue +
                   " ! mplex format=0 name=mux ! filesink name=sink";
        case ClipKind::Vob:
            // mplex writes the timestamps a reader needs to find the length.
            return VideoSource(recipe) + " ! mpeg2enc format=3 ! " + kQueue + " ! mux. " +
                   AudioSource(recipe, 48000) + " ! avenc_mp2 ! mpegaudioparse ! " + kQueue +
                   " ! mplex format=8 name=mux ! filesink name=sink";
        case ClipKind::Avi:
            return VideoSource(recipe) + " ! avenc_mpeg4 ! " + kQueue + " ! mux. " +
                   AudioSource(recipe, 44100) +
                   " ! lamemp3enc target=bitrate bitrate=128 cbr=true ! " + kQueue +
                   " ! avimux name=mux ! filesink name=sink";
        case ClipKind::Mp4:
            return VideoSource(recipe) + " ! " + kH264 + " ! " + kQueue + " ! mux. " +
                   AudioSource(recipe, 44100) + " ! " + kAac + " ! " + kQueue +
                   " ! mp4mux name=mux ! filesink name=sink";
        case ClipKind::M4a:
            return AudioSource(recipe, 44100) + " ! " + kAac + " ! mp4mux ! filesink name=sink";
        case ClipKind::Mkv:
            return VideoSource(recipe) + " ! " + kH264 + " ! " + kQueue + " ! mux. " +
                   AudioSource(recipe, 44100) + " ! audioconvert ! vorbisenc ! " + kQueue +
                   " ! matroskamux name=mux ! filesink name=sink";
        case ClipKind::WebM:
            // The fastest settings: a test clip needs no quality.
            return VideoSource(recipe) + " ! vp9enc deadline=1 cpu-used=8 ! " + kQueue +
                   " ! mux. " + AudioSource(recipe, 48000) + " ! audioconvert ! opusenc ! " +
                   kQueue + " ! webmmux name=mux ! filesink name=sink";
        case ClipKind::Ogg:
            return AudioSource(recipe, 44100) +
                   " ! audioconvert ! vorbisenc ! oggmux ! filesink name=sink";
        case ClipKind::Opus:
            return AudioSource(recipe, 48000) +
                   " ! audioconvert ! opusenc ! oggmux ! filesink name=sink";
        case ClipKind::Flac:
            return AudioSource(recipe, 44100) + " ! audioconvert ! flacenc ! filesink name=sink";
        case ClipKind::Midi:
            break;
    }
    throw std::logic_error("no pipeline for this clip kind");
}

// Hands the tune to the pipeline's source in encoder-sized pieces, then ends
// the stream. One huge buffer made the multiplexer occasionally read the audio
// before a whole frame was there and give up on a busy machine.
void FeedTune(GstElement* pipeline, int durationMs) {
    GstPtr<GstElement> source{gst_bin_get_by_name(GST_BIN(pipeline), "tune")};
    if (!source) {
        return;
    }
    const std::vector<std::int16_t> samples = RenderTune(SampleTune(), durationMs, kTuneRate);
    constexpr std::size_t kChunk = 4096;
    GstFlowReturn flow = GST_FLOW_OK;
    for (std::size_t first = 0; first < samples.size() && flow == GST_FLOW_OK; first += kChunk) {
        const std::size_t count = std::min(kChunk, samples.size() - first);
        const gsize bytes = count * sizeof(std::int16_t);
        GstBufferPtr buffer{gst_buffer_new_allocate(nullptr, bytes, nullptr)};
        gst_buffer_fill(buffer.get(), 0, samples.data() + first, bytes);
        GST_BUFFER_PTS(buffer.get()) = gst_util_uint64_scale_int(first, GST_SECOND, kTuneRate);
        GST_BUFFER_DURATION(buffer.get()) = gst_util_uint64_scale_int(count, GST_SECOND, kTuneRate);
        // The action signal takes its own reference; ours goes with `buffer`.
        g_signal_emit_by_name(source.get(), "push-buffer", buffer.get(), &flow);
    }
    g_signal_emit_by_name(source.get(), "end-of-stream", &flow);
}

void Encode(const ClipRecipe& recipe, const std::filesystem::path& target) {
    if (!gst_is_initialized()) {
        gst_init(nullptr, nullptr);
    }
    GError* rawError = nullptr;
    GstPipelinePtr pipeline =
        mciservice::AdoptPipeline(gst_parse_launch(PipelineFor(recipe).c_str(), &rawError));
    GErrorPtr parseError{rawError};
    if (!pipeline || parseError) {
        throw std::runtime_error("cannot build the encoder for " + target.string() + ": " +
                                 (parseError ? parseError->message : "unknown"));
    }
    GstPtr<GstElement> sink{gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink")};
    g_object_set(sink.get(), "location", target.c_str(), nullptr);

    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        std::string why = "unknown";
        GstPtr<GstBus> bus{gst_element_get_bus(pipeline.get())};
        GstMessagePtr message{gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)};
        if (message) {
            GError* error = nullptr;
            gst_message_parse_error(message.get(), &error, nullptr);
            GErrorPtr owned{error};
            if (owned) {
                why = owned->message;
            }
        }
        throw std::runtime_error("cannot start the encoder for " + target.string() + ": " + why);
    }
    if (recipe.sound == ClipSound::Tune) {
        FeedTune(pipeline.get(), recipe.durationMs);
    }
    GstPtr<GstBus> bus{gst_element_get_bus(pipeline.get())};
    GstMessagePtr message{gst_bus_timed_pop_filtered(
        bus.get(), static_cast<GstClockTime>(EncodeAttemptBound(recipe).count()) * GST_MSECOND,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))};
    if (!message) {
        // A stalled multiplexer holds its streaming threads; the handle waits
        // for them only so long, then leaves the pipeline to go down on its own.
        throw std::runtime_error("encoding " + target.string() + " timed out");
    }
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message.get(), &error, nullptr);
        GErrorPtr owned{error};
        throw std::runtime_error("encoding " + target.string() +
                                 " failed: " + (owned ? owned->message : "unknown"));
    }
}

}  // namespace

// The MPEG multiplexer stalls now and then (about one encode in thirty on a
// loaded machine), so an attempt gets a bound that scales with the clip: ample
// for software encoding on a busy machine, short enough to retry a stall.
std::chrono::milliseconds EncodeAttemptBound(const ClipRecipe& recipe) {
    const auto pixels = static_cast<long long>(recipe.width) * recipe.height;
    const long long msPerSecond = pixels > 320LL * 240 ? 8000 : 4000;
    return std::chrono::milliseconds(10000 + msPerSecond * recipe.durationMs / 1000);
}

// Starting an encoder fails now and then when many processes start GStreamer
// at once (seen in a parallel test run on a fresh machine), and the MPEG
// multiplexer sometimes stalls; the encode itself is deterministic, so a few
// fresh attempts are the honest remedy.
void EncodeWithGStreamer(const ClipRecipe& recipe, const std::filesystem::path& target) {
    for (int attempt = 1;; ++attempt) {
        try {
            Encode(recipe, target);
            return;
        } catch (const std::runtime_error&) {
            if (attempt == kEncodeAttempts) {
                throw;
            }
        }
    }
}

}  // namespace kelto::samples
