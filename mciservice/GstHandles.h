#pragma once

#include <gst/gst.h>

#include <chrono>
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

struct GstSampleUnref {
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
using GstSamplePtr = std::unique_ptr<GstSample, GstSampleUnref>;

struct GstIteratorFree {
    void operator()(GstIterator* iterator) const { gst_iterator_free(iterator); }
};
using GstIteratorPtr = std::unique_ptr<GstIterator, GstIteratorFree>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

// Takes a floating reference (as element factories and the pipeline parser
// hand out) into an owning handle.
template <typename T>
GstPtr<T> AdoptFloating(T* object) {
    if (object != nullptr) {
        gst_object_ref_sink(object);
    }
    return GstPtr<T>{object};
}

// How long dropping a pipeline waits for it to stop. Going to NULL waits for
// the streaming threads, which an element stuck in a driver or a server can
// hold up; past this the pipeline finishes going down on a thread of
// GStreamer's own pool, and the caller goes on.
inline constexpr std::chrono::milliseconds kPipelineStopWait{3000};

// Takes a pipeline to NULL, waiting at most kPipelineStopWait, and drops the
// caller's reference.
void StopAndRelease(GstElement* pipeline);

struct GstPipelineStop {
    void operator()(GstElement* pipeline) const { StopAndRelease(pipeline); }
};
// A pipeline that is stopped (its streaming threads ended) on every way out,
// before its reference is dropped.
using GstPipelinePtr = std::unique_ptr<GstElement, GstPipelineStop>;

// A pipeline fresh from a factory or the parser (a floating reference) into a
// handle that stops it on the way out.
inline GstPipelinePtr AdoptPipeline(GstElement* pipeline) {
    return GstPipelinePtr{AdoptFloating(pipeline).release()};
}

}  // namespace kelto::mciservice
