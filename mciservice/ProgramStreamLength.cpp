#include "mciservice/ProgramStreamLength.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>

#include "mciservice/GstHandles.h"
#include "mciservice/MediaFileHeaders.h"

namespace kelto::mciservice {

namespace {

// Parsing runs far faster than playing, but a whole DVD title would still
// hold the open up: larger files keep the demuxer's estimate.
constexpr off_t kMaxParsedBytes = off_t{96} * 1024 * 1024;

struct PictureSpan {
    GstClockTime first = GST_CLOCK_TIME_NONE;
    GstClockTime end = 0;
    // Not every picture carries a stamp (a DVD's packets stamp the first
    // picture that starts in them), but each has its length.
    GstClockTime shown = 0;
};

GstPadProbeReturn OnPicture(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* span = static_cast<PictureSpan*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer != nullptr && GST_BUFFER_PTS_IS_VALID(buffer)) {
        const GstClockTime start = GST_BUFFER_PTS(buffer);
        const GstClockTime duration =
            GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0;
        span->first = span->first == GST_CLOCK_TIME_NONE ? start : std::min(span->first, start);
        span->end = std::max(span->end, start + duration);
    }
    if (buffer != nullptr && GST_BUFFER_DURATION_IS_VALID(buffer)) {
        span->shown += GST_BUFFER_DURATION(buffer);
    }
    return GST_PAD_PROBE_OK;
}

// A program stream starts with a pack header.
bool StartsWithPack(const std::string& path) {
    if (!IsRegularFile(path)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 4> head{};
    return in.read(reinterpret_cast<char*>(head.data()), head.size()) && head[0] == 0 &&
           head[1] == 0 && head[2] == 1 && head[3] == 0xBA;
}

}  // namespace

std::optional<GstClockTime> ProgramStreamLength(const std::string& path, GstClockTime deadline) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || info.st_size > kMaxParsedBytes || !StartsWithPack(path)) {
        return std::nullopt;
    }
    // The demuxer's picture pad links to the parser when it appears; the
    // parser stamps each picture with its time and length.
    GstPipelinePtr pipeline = AdoptPipeline(gst_parse_launch(
        "filesrc name=source ! mpegpsdemux ! mpegvideoparse ! fakesink name=sink sync=false",
        nullptr));
    if (!pipeline) {
        return std::nullopt;
    }
    GstPtr<GstElement> source{gst_bin_get_by_name(GST_BIN(pipeline.get()), "source")};
    GstPtr<GstElement> sink{gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink")};
    if (!source || !sink) {
        return std::nullopt;
    }
    g_object_set(source.get(), "location", path.c_str(), nullptr);
    PictureSpan span;
    GstPtr<GstPad> pad{gst_element_get_static_pad(sink.get(), "sink")};
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, OnPicture, &span, nullptr);
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return std::nullopt;
    }
    const GstClockTime now = gst_util_get_timestamp();
    GstPtr<GstBus> bus{gst_element_get_bus(pipeline.get())};
    GstMessagePtr message{gst_bus_timed_pop_filtered(
        bus.get(), deadline > now ? deadline - now : 0,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))};
    // Stopped before the span is read, so no streaming thread still writes it.
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    if (!message || GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_EOS ||
        span.first == GST_CLOCK_TIME_NONE || span.end <= span.first) {
        return std::nullopt;
    }
    return std::max(span.end - span.first, span.shown);
}

}  // namespace kelto::mciservice
