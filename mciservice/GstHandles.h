#pragma once

#include <gst/gst.h>

#include <memory>

namespace kelto::mciservice {

// Owning handles for the GLib and GStreamer objects the service (and the clip
// generator) holds, so that every reference taken is dropped on every path out
// of a function.
struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
template <typename T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;

struct GstMessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
using GstMessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;

struct GstCapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
using GstCapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;

struct GstBufferUnref {
    void operator()(GstBuffer* buffer) const { gst_buffer_unref(buffer); }
};
using GstBufferPtr = std::unique_ptr<GstBuffer, GstBufferUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

// Takes a floating reference (as element factories hand out) into an owning
// handle.
template <typename T>
GstPtr<T> AdoptFloating(T* object) {
    if (object != nullptr) {
        gst_object_ref_sink(object);
    }
    return GstPtr<T>{object};
}

}  // namespace kelto::mciservice
