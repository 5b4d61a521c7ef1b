#pragma once

#include <gst/gst.h>

#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

// Where a stream goes that has nowhere to be shown or heard: it is still
// consumed at real-time pace, so that positions and the end come as they would.
inline GstPtr<GstElement> MakeDiscardingSink() {
    auto sink = AdoptFloating(gst_element_factory_make("fakesink", nullptr));
    if (sink) {
        g_object_set(sink.get(), "sync", TRUE, nullptr);
    }
    return sink;
}

}  // namespace kelto::mciservice
