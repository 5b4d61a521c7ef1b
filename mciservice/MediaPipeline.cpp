#include "mciservice/MediaPipeline.h"

#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <filesystem>
#include <string_view>

#include "mciservice/AudioOutput.h"
#include "mciservice/DiscardingSink.h"
#include "mciservice/PlaybackTrace.h"

namespace kelto::mciservice {

namespace {

// General MIDI soundfonts the set-up installs, in order of preference.
constexpr std::string_view kSoundfonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

const char* SoundfontPath() {
    static const std::string path = [] {
        std::error_code ec;
        for (const std::string_view candidate : kSoundfonts) {
            if (std::filesystem::exists(candidate, ec)) {
                return std::string(candidate);
            }
        }
        return std::string();
    }();
    return path.empty() ? nullptr : path.c_str();
}

// Runs on a streaming thread as decoders are made; touches only the element.
void OnElementSetup(GstElement*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory != nullptr && std::string_view(GST_OBJECT_NAME(factory)) == "fluiddec" &&
        SoundfontPath() != nullptr) {
        g_object_set(element, "soundfont", SoundfontPath(), nullptr);
    }
}

// Runs on streaming threads: keeps only what the owner acts on, so that a
// device left alone for hours does not pile up messages. A message dropped
// here is ours to release; each holds a reference to the element that sent
// it, so one kept would keep the whole pipeline alive after its close.
GstBusSyncReply FilterMessages(GstBus*, GstMessage* message, gpointer) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_ASYNC_DONE:
            return GST_BUS_PASS;
        default:
            gst_message_unref(message);
            return GST_BUS_DROP;
    }
}

GstPtr<GstElement> MakeElement(const char* factory, const char* name = nullptr) {
    return AdoptFloating(gst_element_factory_make(factory, name));
}

std::optional<GstClockTime> QueryDuration(GstElement* element) {
    gint64 duration = 0;
    if (!gst_element_query_duration(element, GST_FORMAT_TIME, &duration) || duration <= 0) {
        return std::nullopt;
    }
    return static_cast<GstClockTime>(duration);
}

// Streams of variable rate without a length in their headers: parse the whole
// file (no decoding, so a long one takes a moment) and see where it ends.
std::optional<GstClockTime> MeasureDuration(const std::string& path, GstClockTime deadline) {
    auto pipeline = AdoptFloating(
        gst_parse_launch("filesrc name=source ! parsebin ! fakesink sync=false", nullptr));
    if (!pipeline) {
        return std::nullopt;
    }
    struct Stopper {
        GstElement* pipeline;
        ~Stopper() { gst_element_set_state(pipeline, GST_STATE_NULL); }
    } stopper{pipeline.get()};
    GstPtr<GstElement> source{gst_bin_get_by_name(GST_BIN(pipeline.get()), "source")};
    g_object_set(source.get(), "location", path.c_str(), nullptr);
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return std::nullopt;
    }
    GstPtr<GstBus> bus{gst_element_get_bus(pipeline.get())};
    const GstClockTime now = gst_util_get_timestamp();
    GstMessagePtr message{gst_bus_timed_pop_filtered(
        bus.get(), deadline > now ? deadline - now : 0,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))};
    if (!message || GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_EOS) {
        return std::nullopt;
    }
    return QueryDuration(pipeline.get());
}

constexpr int kDurationPolls = 20;
// How long an open waits for the look for a sound output started with the
// service; past it the file plays silently rather than holding up the open.
constexpr gint64 kAudioOutputWaitUs = 2 * G_USEC_PER_SEC;
constexpr gulong kDurationPollInterval = 10000;  // microseconds

// XVideo scales in hardware but is often missing (virtual displays); plain
// X images work everywhere once the picture has been scaled in software.
GstPtr<GstElement> MakeWindowSink() {
    static const bool haveXv = [] {
        auto probe = MakeElement("xvimagesink");
        if (!probe) {
            return false;
        }
        const bool ok =
            gst_element_set_state(probe.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
        gst_element_set_state(probe.get(), GST_STATE_NULL);
        return ok;
    }();
    return MakeElement(haveXv ? "xvimagesink" : "ximagesink");
}

}  // namespace

std::unique_ptr<MediaPipeline> MediaPipeline::Open(const std::string& path,
                                                   std::uint64_t videoWindow,
                                                   GstClockTime timeout) {
    const GstClockTime deadline = gst_util_get_timestamp() + timeout;
    std::unique_ptr<MediaPipeline> pipeline(new MediaPipeline());
    if (!pipeline->Build(path, videoWindow) || !pipeline->Preroll(deadline) ||
        !pipeline->ReadStreamInfo(path, deadline)) {
        return nullptr;
    }
    return pipeline;
}

MediaPipeline::~MediaPipeline() {
    if (playbin_) {
        gst_element_set_state(playbin_.get(), GST_STATE_NULL);
    }
    if (bus_) {
        gst_bus_set_flushing(bus_.get(), TRUE);
    }
}

bool MediaPipeline::Build(const std::string& path, std::uint64_t videoWindow) {
    playbin_ = MakeElement("playbin");
    if (!playbin_) {
        return false;
    }
    GErrorPtr error;
    GError* rawError = nullptr;
    GCharPtr uri{gst_filename_to_uri(path.c_str(), &rawError)};
    error.reset(rawError);
    if (!uri) {
        return false;
    }
    g_object_set(playbin_.get(), "uri", uri.get(), nullptr);

    // Speed changes keep the pitch, as a listener expects from slow motion.
    if (auto tempo = MakeElement("scaletempo")) {
        g_object_set(playbin_.get(), "audio-filter", tempo.get(), nullptr);
    }
    if (auto audio = AudioOutput::MakeSink(kAudioOutputWaitUs)) {
        g_object_set(playbin_.get(), "audio-sink", audio.get(), nullptr);
    }

    GstPtr<GstElement> video;
    if (videoWindow != 0) {
        auto bin = AdoptFloating(gst_bin_new("video-output"));
        auto convert = MakeElement("videoconvert");
        auto scale = MakeElement("videoscale");
        auto caps = MakeElement("capsfilter");
        auto sink = MakeWindowSink();
        if (bin && convert && scale && caps && sink) {
            GstElement* elements[] = {convert.get(), scale.get(), caps.get(), sink.get()};
            // The bin takes a reference of its own; ours go with the handles.
            for (GstElement* element : elements) {
                gst_bin_add(GST_BIN(bin.get()), element);
            }
            if (gst_element_link_many(convert.get(), scale.get(), caps.get(), sink.get(),
                                      nullptr)) {
                GstPtr<GstPad> target{gst_element_get_static_pad(convert.get(), "sink")};
                gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", target.get()));
                GstVideoOverlay* overlay = GST_VIDEO_OVERLAY(sink.get());
                gst_video_overlay_set_window_handle(overlay, static_cast<guintptr>(videoWindow));
                // Clicks on the picture belong to the window underneath.
                gst_video_overlay_handle_events(overlay, FALSE);
                video = std::move(bin);
                scaler_ = std::move(caps);
                windowSink_ = std::move(sink);
                SetPictureSize(0, 0);
            }
        }
    }
    if (!video) {
        video = MakeDiscardingSink();
    }
    if (video) {
        TraceFirstFrame(windowSink_ ? windowSink_.get() : video.get());
        g_object_set(playbin_.get(), "video-sink", video.get(), nullptr);
    }
    g_signal_connect(playbin_.get(), "element-setup", G_CALLBACK(OnElementSetup), nullptr);

    bus_.reset(gst_element_get_bus(playbin_.get()));
    gst_bus_set_sync_handler(bus_.get(), FilterMessages, nullptr, nullptr);
    return true;
}

bool MediaPipeline::Preroll(GstClockTime deadline) {
    if (gst_element_set_state(playbin_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return false;
    }
    const GstClockTime now = gst_util_get_timestamp();
    GstMessagePtr message{gst_bus_timed_pop_filtered(
        bus_.get(), deadline > now ? deadline - now : 0,
        static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_EOS))};
    return message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE;
}

bool MediaPipeline::ReadStreamInfo(const std::string& path, GstClockTime deadline) {
    std::optional<GstClockTime> duration = QueryDuration(playbin_.get());
    // Parsers of constant-rate streams know the length a moment after preroll.
    for (int i = 0; i < kDurationPolls && !duration; ++i) {
        g_usleep(kDurationPollInterval);
        duration = QueryDuration(playbin_.get());
    }
    if (!duration) {
        duration = MeasureDuration(path, deadline);
    }
    if (!duration) {
        return false;
    }
    info_.duration = *duration;

    gint videoStreams = 0;
    gint audioStreams = 0;
    g_object_get(playbin_.get(), "n-video", &videoStreams, "n-audio", &audioStreams, nullptr);
    if (videoStreams > 0) {
        GstPad* rawPad = nullptr;
        g_signal_emit_by_name(playbin_.get(), "get-video-pad", 0, &rawPad);
        GstPtr<GstPad> pad{rawPad};
        GstCapsPtr caps{pad ? gst_pad_get_current_caps(pad.get()) : nullptr};
        GstVideoInfo video;
        // A still picture (cover art beside the sound) is not a video.
        if (caps && gst_video_info_from_caps(&video, caps.get()) && video.fps_n > 0 &&
            video.fps_d > 0) {
            info_.hasVideo = true;
            info_.fpsNum = video.fps_n;
            info_.fpsDen = video.fps_d;
            info_.height = video.height;
            info_.width = video.width;
            if (video.par_n > 0 && video.par_d > 0 && video.par_n != video.par_d) {
                info_.width = static_cast<int>(gst_util_uint64_scale_int_round(
                    static_cast<guint64>(video.width), video.par_n, video.par_d));
            }
        }
    }
    return info_.hasVideo || audioStreams > 0;
}

bool MediaPipeline::Seek(double rate, GstClockTime start, GstClockTime stop) {
    return gst_element_seek(playbin_.get(), rate, GST_FORMAT_TIME,
                            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            GST_SEEK_TYPE_SET, static_cast<gint64>(start), GST_SEEK_TYPE_SET,
                            static_cast<gint64>(stop)) != FALSE;
}

bool MediaPipeline::SetPlaying(bool playing) {
    return gst_element_set_state(playbin_.get(), playing ? GST_STATE_PLAYING : GST_STATE_PAUSED) !=
           GST_STATE_CHANGE_FAILURE;
}

std::optional<GstClockTime> MediaPipeline::Position() const {
    gint64 position = 0;
    if (!gst_element_query_position(playbin_.get(), GST_FORMAT_TIME, &position) || position < 0) {
        return std::nullopt;
    }
    return static_cast<GstClockTime>(position);
}

MediaPipeline::Events MediaPipeline::Drain() {
    Events events;
    while (GstMessagePtr message{gst_bus_pop(bus_.get())}) {
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) {
            events.endOfStream = true;
        } else if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            events.error = true;
        }
    }
    return events;
}

MediaPipeline::Events MediaPipeline::Wait(GstClockTime timeout, bool untilEnd) {
    Events events;
    const GstClockTime deadline = gst_util_get_timestamp() + timeout;
    const auto wanted =
        static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS | GST_MESSAGE_ASYNC_DONE);
    for (GstClockTime now = gst_util_get_timestamp(); now < deadline;
         now = gst_util_get_timestamp()) {
        GstMessagePtr message{gst_bus_timed_pop_filtered(bus_.get(), deadline - now, wanted)};
        if (!message) {
            break;
        }
        events.endOfStream |= GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS;
        events.error |= GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR;
        if (events.endOfStream || events.error ||
            (!untilEnd && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE)) {
            break;
        }
    }
    return events;
}

void MediaPipeline::SetVolume(double volume) {
    g_object_set(playbin_.get(), "volume", volume, nullptr);
}

void MediaPipeline::SetMute(bool mute) { g_object_set(playbin_.get(), "mute", mute, nullptr); }

void MediaPipeline::SetPictureSize(int width, int height) {
    if (!scaler_) {
        return;
    }
    GstCapsPtr caps{width > 0 && height > 0
                        ? gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, width, "height",
                                              G_TYPE_INT, height, "pixel-aspect-ratio",
                                              GST_TYPE_FRACTION, 1, 1, nullptr)
                        : gst_caps_new_simple("video/x-raw", "pixel-aspect-ratio",
                                              GST_TYPE_FRACTION, 1, 1, nullptr)};
    g_object_set(scaler_.get(), "caps", caps.get(), nullptr);
    // The sink does not watch the window (that would take its clicks from the
    // window underneath), so it learns the new size when told to redraw.
    if (width > 0 && height > 0) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(windowSink_.get()));
    }
}

void MediaPipeline::Redraw() {
    if (windowSink_) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(windowSink_.get()));
    }
}

}  // namespace kelto::mciservice
