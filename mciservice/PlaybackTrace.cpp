#include "mciservice/PlaybackTrace.h"

#include <atomic>
#include <string>

#include "mciservice/CommandParser.h"
#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

namespace {

std::atomic<TraceSink*> gSink{nullptr};

TraceSink* SinkFor(TraceSink::Kind kind) {
    TraceSink* sink = gSink.load(std::memory_order_acquire);
    return sink != nullptr && sink->Wants(kind) ? sink : nullptr;
}

void Mark(std::string_view mark) {
    TraceSink* sink = SinkFor(TraceSink::Kind::Mark);
    if (sink == nullptr) {
        return;
    }
    std::string line(mark);
    line += ' ';
    line += std::to_string(g_get_monotonic_time());
    sink->Write(TraceSink::Kind::Mark, line);
}

GstPadProbeReturn OnFirstBuffer(GstPad*, GstPadProbeInfo*, gpointer) {
    Mark("first-frame");
    return GST_PAD_PROBE_REMOVE;
}

}  // namespace

void SetTraceSink(TraceSink* sink) { gSink.store(sink, std::memory_order_release); }

void TraceCommand(std::string_view verb) {
    if (gSink.load(std::memory_order_relaxed) == nullptr) {
        return;
    }
    if (EqualsNoCase(verb, "open")) {
        Mark("open-request");
    } else if (EqualsNoCase(verb, "play")) {
        Mark("play-request");
    } else if (EqualsNoCase(verb, "pause")) {
        Mark("pause-request");
    } else if (EqualsNoCase(verb, "put")) {
        Mark("put-request");
    }
}

void TraceResult(std::string_view command, std::uint32_t code) {
    TraceSink* sink = SinkFor(TraceSink::Kind::Command);
    if (sink == nullptr) {
        return;
    }
    std::string line =
        "command " + std::to_string(g_get_monotonic_time()) + " " + std::to_string(code) + " ";
    // Command text may hold anything; a line break in it must not start a
    // line of its own.
    for (const char c : command) {
        line += c == '\n' || c == '\r' ? ' ' : c;
    }
    sink->Write(TraceSink::Kind::Command, line);
}

void TraceFirstFrame(GstElement* sink) {
    if (sink == nullptr || SinkFor(TraceSink::Kind::Mark) == nullptr) {
        return;
    }
    GstPtr<GstPad> pad{gst_element_get_static_pad(sink, "sink")};
    if (pad) {
        gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, OnFirstBuffer, nullptr, nullptr);
    }
}

}  // namespace kelto::mciservice
