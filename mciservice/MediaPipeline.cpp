#include "mciservice/MediaPipeline.h"

#include <gst/video/video.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <utility>

#include "mciservice/AudioSinkProbe.h"
#include "mciservice/DiscardingSink.h"
#include "mciservice/PlaybackTrace.h"
#include "mciservice/ProgramStreamLength.h"
#include "mciservice/StalledDemuxer.h"
#include "mciservice/StreamDuration.h"
#include "mciservice/TagCollector.h"

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
// Whether `message` says that a stream of sound or pictures found no decoder.
// The engine then plays the rest of the file (the sound of a film whose
// picture it cannot decode) and calls that success; for the player it is a
// file that cannot be played as it is, like any other. Subtitles and other
// streams the player never shows do not count.
bool IsMissingDecoder(GstMessage* message) {
    const GstStructure* structure = gst_message_get_structure(message);
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ELEMENT || structure == nullptr ||
        !gst_structure_has_name(structure, "missing-plugin")) {
        return false;
    }
    const char* type = gst_structure_get_string(structure, "type");
    if (type == nullptr || std::string_view(type) != "decoder") return false;
    GstCaps* rawCaps = nullptr;
    if (!gst_structure_get(structure, "detail", GST_TYPE_CAPS, &rawCaps, nullptr)) return false;
    const GstCapsPtr caps{rawCaps};
    if (gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get())) return false;
    const std::string_view kind = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
    return kind.starts_with("audio/") || kind.starts_with("video/");
}

GstBusSyncReply FilterMessages(GstBus*, GstMessage* message, gpointer data) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_TAG: {
            GstTagList* tags = nullptr;
            gst_message_parse_tag(message, &tags);
            if (tags != nullptr) {
                (*static_cast<std::shared_ptr<TagCollector>*>(data))->Add(tags);
                gst_tag_list_unref(tags);
            }
            gst_message_unref(message);
            return GST_BUS_DROP;
        }
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_ASYNC_DONE:
            return GST_BUS_PASS;
        case GST_MESSAGE_ELEMENT:
            if (IsMissingDecoder(message)) return GST_BUS_PASS;
            gst_message_unref(message);
            return GST_BUS_DROP;
        default:
            gst_message_unref(message);
            return GST_BUS_DROP;
    }
}

GstPtr<GstElement> MakeElement(const char* factory, const char* name = nullptr) {
    return AdoptFloating(gst_element_factory_make(factory, name));
}

// playbin's own flags (GstPlayFlags is not in its public headers). Without
// native video the engine puts a converter and a scaler of its own in front of
// the sink, and every picture is converted and scaled twice; deinterlacing
// then happens in the video output instead (VideoOutput).
constexpr guint kNativeVideo = 0x40;
constexpr guint kDeinterlace = 0x200;

// Whether a film's pictures are stored on their side: the engine's
// orientation tag names a quarter turn, plain or mirrored.
bool LiesSideways(GstElement* playbin) {
    GstTagList* raw = nullptr;
    g_signal_emit_by_name(playbin, "get-video-tags", 0, &raw);
    const std::unique_ptr<GstTagList, decltype(&gst_tag_list_unref)> tags{raw, &gst_tag_list_unref};
    gchar* rawOrientation = nullptr;
    if (!tags || !gst_tag_list_get_string(tags.get(), GST_TAG_IMAGE_ORIENTATION, &rawOrientation)) {
        return false;
    }
    const GCharPtr orientation{rawOrientation};
    const std::string_view turn = orientation.get();
    return turn.ends_with("rotate-90") || turn.ends_with("rotate-270");
}

// How long an open waits for the probe of the sound outputs started with the
// service; past it the file plays silently rather than holding up the open.
constexpr auto kAudioSinkProbeWait = std::chrono::seconds(2);

// How often a preroll that has not finished looks for a file that stopped
// being read without an error on the bus.
constexpr GstClockTime kStallCheck = 100 * GST_MSECOND;

}  // namespace

std::unique_ptr<MediaPipeline> MediaPipeline::Open(const std::string& path,
                                                   std::uint64_t videoWindow, GstClockTime timeout,
                                                   AudioSinkProbe* audioSinks) {
    const GstClockTime deadline = gst_util_get_timestamp() + timeout;
    std::unique_ptr<MediaPipeline> pipeline(new MediaPipeline());
    if (!pipeline->Build(path, videoWindow, audioSinks) || !pipeline->Preroll(deadline) ||
        !pipeline->ReadStreamInfo(path, deadline)) {
        return nullptr;
    }
    pipeline->ChooseMarkedStreams();
    return pipeline;
}

MediaPipeline::~MediaPipeline() {
    playbin_.reset();
    if (bus_) {
        gst_bus_set_flushing(bus_.get(), TRUE);
    }
}

bool MediaPipeline::Build(const std::string& path, std::uint64_t videoWindow,
                          AudioSinkProbe* audioSinks) {
    playbin_ = AdoptPipeline(gst_element_factory_make("playbin", nullptr));
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
    // Subtitle files that are neither UTF-8 nor marked as UTF-16 come from
    // older tools, which wrote the Western code page.
    g_object_set(playbin_.get(), "subtitle-encoding", "WINDOWS-1252", nullptr);
    guint flags = 0;
    g_object_get(playbin_.get(), "flags", &flags, nullptr);
    g_object_set(playbin_.get(), "flags", (flags | kNativeVideo) & ~kDeinterlace, nullptr);

    // Speed changes keep the pitch, as a listener expects from slow motion.
    if (auto tempo = MakeElement("scaletempo")) {
        g_object_set(playbin_.get(), "audio-filter", tempo.get(), nullptr);
    }
    GstPtr<GstElement> audio =
        audioSinks != nullptr ? audioSinks->MakeSink(kAudioSinkProbeWait) : MakeDiscardingSink();
    if (audio) {
        g_object_set(playbin_.get(), "audio-sink", audio.get(), nullptr);
    }

    if (videoWindow != 0) {
        videoOutput_ = VideoOutput::Make(videoWindow);
    }
    if (videoOutput_) {
        TraceFirstFrame(videoOutput_->Sink());
        g_object_set(playbin_.get(), "video-sink", videoOutput_->Bin(), nullptr);
    } else if (auto discard = MakeDiscardingSink()) {
        TraceFirstFrame(discard.get());
        g_object_set(playbin_.get(), "video-sink", discard.get(), nullptr);
    }
    g_signal_connect(playbin_.get(), "element-setup", G_CALLBACK(OnElementSetup), nullptr);

    bus_.reset(gst_element_get_bus(playbin_.get()));
    tags_ = std::make_shared<TagCollector>();
    gst_bus_set_sync_handler(
        bus_.get(), FilterMessages, new std::shared_ptr<TagCollector>(tags_),
        [](gpointer data) { delete static_cast<std::shared_ptr<TagCollector>*>(data); });
    return true;
}

bool MediaPipeline::Preroll(GstClockTime deadline) {
    if (gst_element_set_state(playbin_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return false;
    }
    // The only element messages the bus lets through are missing decoders,
    // which come while the file is taken apart, before the preroll is done.
    const auto wanted = static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR |
                                                    GST_MESSAGE_EOS | GST_MESSAGE_ELEMENT);
    for (GstClockTime now = gst_util_get_timestamp(); now < deadline;
         now = gst_util_get_timestamp()) {
        GstMessagePtr message{
            gst_bus_timed_pop_filtered(bus_.get(), std::min(deadline - now, kStallCheck), wanted)};
        if (message) return GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE;
        if (HasStalledDemuxer(playbin_.get())) return false;
    }
    return false;
}

bool MediaPipeline::ReadStreamInfo(const std::string& path, GstClockTime deadline) {
    const std::optional<GstClockTime> duration = StreamDuration(playbin_.get(), path, deadline);
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
            if (const std::optional<GstClockTime> length = ProgramStreamLength(path, deadline)) {
                info_.duration = *length;
            }
            info_.fpsNum = video.fps_n;
            info_.fpsDen = video.fps_d;
            info_.height = video.height;
            info_.width = video.width;
            if (video.par_n > 0 && video.par_d > 0 && video.par_n != video.par_d) {
                info_.width = static_cast<int>(gst_util_uint64_scale_int_round(
                    static_cast<guint64>(video.width), video.par_n, video.par_d));
            }
            // A film is as large as it is seen: a phone's, stored sideways, upright.
            if (LiesSideways(playbin_.get())) {
                std::swap(info_.width, info_.height);
                if (videoOutput_) videoOutput_->SetSideways(true);
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
    if (videoOutput_) {
        videoOutput_->SetPictureSize(width, height);
    }
}

void MediaPipeline::Redraw() {
    if (videoOutput_) {
        videoOutput_->Redraw();
    }
}

}  // namespace kelto::mciservice
