#include "mciservice/StreamDuration.h"

#include <algorithm>

#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

namespace {

constexpr gulong kPollIntervalUs = 10000;
// How long the parsers get to come up with a length before the file is
// measured: a constant-rate stream needs a few milliseconds.
constexpr GstClockTime kPollFor = 200 * GST_MSECOND;

std::optional<GstClockTime> QueryDuration(GstElement* element) {
    gint64 duration = 0;
    if (!gst_element_query_duration(element, GST_FORMAT_TIME, &duration) || duration <= 0) {
        return std::nullopt;
    }
    return static_cast<GstClockTime>(duration);
}

GstClockTime Remaining(GstClockTime deadline) {
    const GstClockTime now = gst_util_get_timestamp();
    return deadline > now ? deadline - now : 0;
}

std::optional<GstClockTime> MeasureDuration(const std::string& path, GstClockTime deadline) {
    GstPipelinePtr pipeline = AdoptPipeline(
        gst_parse_launch("filesrc name=source ! parsebin ! fakesink sync=false", nullptr));
    if (!pipeline) return std::nullopt;
    GstPtr<GstElement> source{gst_bin_get_by_name(GST_BIN(pipeline.get()), "source")};
    g_object_set(source.get(), "location", path.c_str(), nullptr);
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return std::nullopt;
    }
    GstPtr<GstBus> bus{gst_element_get_bus(pipeline.get())};
    GstMessagePtr message{gst_bus_timed_pop_filtered(
        bus.get(), Remaining(deadline),
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))};
    if (!message || GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_EOS) return std::nullopt;
    return QueryDuration(pipeline.get());
}

}  // namespace

std::optional<GstClockTime> StreamDuration(GstElement* playbin, const std::string& path,
                                           GstClockTime deadline) {
    std::optional<GstClockTime> duration = QueryDuration(playbin);
    const GstClockTime pollUntil = std::min(deadline, gst_util_get_timestamp() + kPollFor);
    while (!duration && gst_util_get_timestamp() < pollUntil) {
        g_usleep(kPollIntervalUs);
        duration = QueryDuration(playbin);
    }
    if (!duration && Remaining(deadline) > 0) duration = MeasureDuration(path, deadline);
    return duration;
}

}  // namespace kelto::mciservice
