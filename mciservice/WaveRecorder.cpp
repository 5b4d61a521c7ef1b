#include "mciservice/WaveRecorder.h"

#include <string>

namespace kelto::mciservice {

namespace {

// The engine's name for a PCM sample of that many bits (8 bits are unsigned).
const char* SampleFormat(std::int64_t bits) {
    switch (bits) {
        case 8:
            return "U8";
        case 16:
            return "S16LE";
        case 24:
            return "S24LE";
        case 32:
            return "S32LE";
        default:
            return nullptr;
    }
}

}  // namespace

std::unique_ptr<WaveRecorder> WaveRecorder::Start(const WaveFormat& format, GstClockTime timeout) {
    const char* sample = SampleFormat(format.bitsPerSample);
    if (format.formatTag != 1 || sample == nullptr) {
        return nullptr;
    }
    std::unique_ptr<WaveRecorder> recorder(new WaveRecorder());
    recorder->alignment_ = static_cast<std::size_t>(format.channels * format.bitsPerSample / 8);
    recorder->pipeline_ = AdoptPipeline(gst_parse_launch(
        "autoaudiosrc name=source ! audioconvert ! audioresample ! capsfilter name=format ! "
        "fakesink name=sink sync=false signal-handoffs=true",
        nullptr));
    if (!recorder->pipeline_) {
        return nullptr;
    }
    GstPtr<GstElement> filter{gst_bin_get_by_name(GST_BIN(recorder->pipeline_.get()), "format")};
    GstPtr<GstElement> sink{gst_bin_get_by_name(GST_BIN(recorder->pipeline_.get()), "sink")};
    GstCapsPtr caps{gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, sample, "layout",
                                        G_TYPE_STRING, "interleaved", "rate", G_TYPE_INT,
                                        static_cast<int>(format.samplesPerSec), "channels",
                                        G_TYPE_INT, static_cast<int>(format.channels), nullptr)};
    g_object_set(filter.get(), "caps", caps.get(), nullptr);
    g_signal_connect(sink.get(), "handoff", G_CALLBACK(OnHandoff), recorder.get());
    if (gst_element_set_state(recorder->pipeline_.get(), GST_STATE_PLAYING) ==
            GST_STATE_CHANGE_FAILURE ||
        gst_element_get_state(recorder->pipeline_.get(), nullptr, nullptr, timeout) ==
            GST_STATE_CHANGE_FAILURE ||
        recorder->Failed()) {
        gst_element_set_state(recorder->pipeline_.get(), GST_STATE_NULL);
        return nullptr;
    }
    return recorder;
}

WaveRecorder::~WaveRecorder() {
    if (pipeline_) {
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    }
}

void WaveRecorder::OnHandoff(GstElement*, GstBuffer* buffer, GstPad*, gpointer self) {
    auto* recorder = static_cast<WaveRecorder*>(self);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        return;
    }
    const std::lock_guard lock(recorder->mutex_);
    recorder->data_.insert(recorder->data_.end(), map.data, map.data + map.size);
    gst_buffer_unmap(buffer, &map);
}

std::size_t WaveRecorder::Size() const {
    const std::lock_guard lock(mutex_);
    return data_.size() - data_.size() % alignment_;
}

bool WaveRecorder::Failed() {
    GstPtr<GstBus> bus{gst_element_get_bus(pipeline_.get())};
    GstMessagePtr message{gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)};
    return message != nullptr;
}

std::vector<std::uint8_t> WaveRecorder::Finish() {
    // Stopped first, so that no handoff comes while the bytes are taken.
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    const std::lock_guard lock(mutex_);
    data_.resize(data_.size() - data_.size() % alignment_);
    return std::move(data_);
}

}  // namespace kelto::mciservice
