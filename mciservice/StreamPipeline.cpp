#include "mciservice/StreamPipeline.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <utility>

#include "mciservice/AudioSinkProbe.h"
#include "mciservice/DiscardingSink.h"
#include "mciservice/TagCollector.h"

namespace kelto::mciservice {

// What the engine's threads tell the service's thread about a stream.
struct StreamFeed {
    TagCollector tags;
    // gst_util_get_timestamp() of the latest data from the station; 0 for none yet.
    std::atomic<GstClockTime> lastData{0};
};

namespace {

// The engine gives up on a silent connection by itself after this many
// seconds; the stall check says so sooner.
constexpr guint kConnectionTimeoutSeconds = 10;
constexpr auto kSinkWait = std::chrono::seconds(2);

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

GstPadProbeReturn OnData(GstPad*, GstPadProbeInfo*, gpointer data) {
    (*static_cast<std::shared_ptr<StreamFeed>*>(data))->lastData.store(gst_util_get_timestamp());
    return GST_PAD_PROBE_OK;
}

void DropFeed(gpointer data) { delete static_cast<std::shared_ptr<StreamFeed>*>(data); }

// Runs as the source element is made: a bounded connection, and a watch on
// what it receives.
void OnSourceSetup(GstElement*, GstElement* source, gpointer data) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(source), "timeout") != nullptr) {
        g_object_set(source, "timeout", kConnectionTimeoutSeconds, nullptr);
    }
    const auto& feed = *static_cast<std::shared_ptr<StreamFeed>*>(data);
    GstPtr<GstPad> pad{gst_element_get_static_pad(source, "src")};
    if (pad) {
        gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, OnData,
                          new std::shared_ptr<StreamFeed>(feed), DropFeed);
    }
}

// Keeps the end, errors and tags; the tags go to the feed at once, on the
// thread that announced them.
GstBusSyncReply FilterStreamMessages(GstBus*, GstMessage* message, gpointer data) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ERROR:
            return GST_BUS_PASS;
        case GST_MESSAGE_TAG: {
            GstTagList* tags = nullptr;
            gst_message_parse_tag(message, &tags);
            if (tags != nullptr) {
                (*static_cast<std::shared_ptr<StreamFeed>*>(data))->tags.Add(tags);
                gst_tag_list_unref(tags);
            }
            break;
        }
        default:
            break;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

}  // namespace

bool IsWebAddress(std::string_view path) {
    return StartsWithNoCase(path, "http://") || StartsWithNoCase(path, "https://");
}

std::unique_ptr<StreamPipeline> StreamPipeline::Open(const std::string& address,
                                                     AudioSinkProbe* audioSinks) {
    std::unique_ptr<StreamPipeline> pipeline(new StreamPipeline());
    pipeline->info_.live = true;
    pipeline->feed_ = std::make_shared<StreamFeed>();
    pipeline->playbin_ = AdoptPipeline(gst_element_factory_make("playbin", nullptr));
    if (!pipeline->playbin_ || !gst_uri_is_valid(address.c_str())) {
        return nullptr;
    }
    GstElement* playbin = pipeline->playbin_.get();
    g_object_set(playbin, "uri", address.c_str(), nullptr);
    GstPtr<GstElement> audio =
        audioSinks != nullptr ? audioSinks->MakeSink(kSinkWait) : MakeDiscardingSink();
    if (audio) g_object_set(playbin, "audio-sink", audio.get(), nullptr);
    // A station's pictures (a stream with video in it) have nowhere to go.
    if (auto video = MakeDiscardingSink())
        g_object_set(playbin, "video-sink", video.get(), nullptr);
    g_signal_connect_data(
        playbin, "source-setup", G_CALLBACK(OnSourceSetup),
        new std::shared_ptr<StreamFeed>(pipeline->feed_),
        [](gpointer data, GClosure*) { DropFeed(data); }, GConnectFlags{});
    pipeline->bus_.reset(gst_element_get_bus(playbin));
    gst_bus_set_sync_handler(pipeline->bus_.get(), FilterStreamMessages,
                             new std::shared_ptr<StreamFeed>(pipeline->feed_), DropFeed);
    // Ready, not paused: going to paused already connects.
    if (gst_element_set_state(playbin, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        return nullptr;
    }
    return pipeline;
}

StreamPipeline::~StreamPipeline() {
    playbin_.reset();
    if (bus_) gst_bus_set_flushing(bus_.get(), TRUE);
}

bool StreamPipeline::Seek(double, GstClockTime, GstClockTime) { return false; }

bool StreamPipeline::SetPlaying(bool playing) {
    if (!failure_.empty()) return !playing;
    if (playing && !playing_) waitingSince_ = gst_util_get_timestamp();
    playing_ = playing;
    // Returns at once: the state is reached on the engine's threads.
    return gst_element_set_state(playbin_.get(), playing ? GST_STATE_PLAYING : GST_STATE_PAUSED) !=
           GST_STATE_CHANGE_FAILURE;
}

std::optional<GstClockTime> StreamPipeline::Position() const {
    gint64 position = 0;
    if (!gst_element_query_position(playbin_.get(), GST_FORMAT_TIME, &position) || position < 0) {
        return std::nullopt;
    }
    return static_cast<GstClockTime>(position);
}

void StreamPipeline::Fail(std::string why) {
    if (!failure_.empty()) return;
    failure_ = std::move(why);
    playing_ = false;
    gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
}

PlaybackPipeline::Events StreamPipeline::Drain() {
    const bool received = feed_->lastData.load() != 0;
    const char* stopped =
        received ? "The station stopped sending." : "The station cannot be reached.";
    const bool failedBefore = !failure_.empty();
    while (GstMessagePtr message{gst_bus_pop(bus_.get())}) {
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) {
            Fail(stopped);
        } else if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            GError* raw = nullptr;
            gst_message_parse_error(message.get(), &raw, nullptr);
            const GErrorPtr error{raw};
            std::string why = stopped;
            if (error && error->message != nullptr) {
                why.pop_back();
                why += std::string(" (") + error->message + ").";
            }
            Fail(why);
        }
    }
    if (playing_) {
        const GstClockTime since = std::max(waitingSince_, feed_->lastData.load());
        if (gst_util_get_timestamp() - since > kStallLimit) Fail(stopped);
    }
    Events events;
    events.error = !failedBefore && !failure_.empty();
    return events;
}

PlaybackPipeline::Events StreamPipeline::Wait(GstClockTime, bool) { return Drain(); }

void StreamPipeline::SetVolume(double volume) {
    g_object_set(playbin_.get(), "volume", volume, nullptr);
}

void StreamPipeline::SetMute(bool mute) { g_object_set(playbin_.get(), "mute", mute, nullptr); }

const TagCollector* StreamPipeline::Tags() const { return &feed_->tags; }

}  // namespace kelto::mciservice
