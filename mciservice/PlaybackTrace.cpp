#include "mciservice/PlaybackTrace.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "mciservice/CommandParser.h"
#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

namespace {

void Mark(const char* mark) {
    std::fprintf(stderr, "%s %lld\n", mark, static_cast<long long>(g_get_monotonic_time()));
}

GstPadProbeReturn OnFirstBuffer(GstPad*, GstPadProbeInfo*, gpointer) {
    Mark("first-frame");
    return GST_PAD_PROBE_REMOVE;
}

}  // namespace

namespace {

std::string_view TraceSetting() {
    const char* value = std::getenv("KELTO_MCI_TRACE");
    return value != nullptr ? std::string_view(value) : std::string_view();
}

}  // namespace

bool TraceEnabled() {
    const std::string_view setting = TraceSetting();
    return setting == "1" || setting == "marks";
}

void TraceCommand(std::string_view verb) {
    if (!TraceEnabled()) {
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
    if (TraceSetting() != "1") {
        return;
    }
    // Command text may hold anything; a line break in it must not start a
    // line of its own.
    std::string text(command);
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    std::fprintf(stderr, "command %lld %u %s\n", static_cast<long long>(g_get_monotonic_time()),
                 static_cast<unsigned>(code), text.c_str());
}

void TraceFirstFrame(GstElement* sink) {
    if (sink == nullptr || !TraceEnabled()) {
        return;
    }
    GstPtr<GstPad> pad{gst_element_get_static_pad(sink, "sink")};
    if (pad) {
        gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, OnFirstBuffer, nullptr, nullptr);
    }
}

}  // namespace kelto::mciservice
