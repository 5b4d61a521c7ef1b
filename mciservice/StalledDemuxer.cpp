#include "mciservice/StalledDemuxer.h"

#include <cstring>

#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

namespace {

bool IsDemuxer(GstElement* element) {
    GstElementFactory* factory = gst_element_get_factory(element);
    const char* klass = factory != nullptr
                            ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS)
                            : nullptr;
    return klass != nullptr && std::strstr(klass, "Demux") != nullptr;
}

// Demuxers that pull from the file run their loop on their sink pad; the loop
// pauses on the first flow that is not ok (end of the file, an error). A loop
// also marks its task paused while it seeks from inside itself, which a
// demuxer does to the start of the file before it has made any stream, and
// starts it again after: that loop is still running and holds the pad's
// stream lock, which a loop that has stopped has let go.
bool SinkLoopPaused(GstElement* element) {
    bool paused = false;
    GST_OBJECT_LOCK(element);
    for (GList* item = element->sinkpads; item != nullptr && !paused; item = item->next) {
        GstPad* pad = GST_PAD(item->data);
        GST_OBJECT_LOCK(pad);
        GstTask* task = GST_PAD_TASK(pad);
        paused = task != nullptr && gst_task_get_state(task) == GST_TASK_PAUSED;
        GST_OBJECT_UNLOCK(pad);
        // Never waits: the streaming thread may want the locks held here.
        if (paused && GST_PAD_STREAM_TRYLOCK(pad)) {
            GST_PAD_STREAM_UNLOCK(pad);
        } else {
            paused = false;
        }
    }
    GST_OBJECT_UNLOCK(element);
    return paused;
}

bool WithoutStreams(GstElement* element) {
    GST_OBJECT_LOCK(element);
    const bool none = element->numsrcpads == 0;
    GST_OBJECT_UNLOCK(element);
    return none;
}

}  // namespace

bool HasStalledDemuxer(GstElement* bin) {
    if (!GST_IS_BIN(bin)) return false;
    const GstIteratorPtr elements{gst_bin_iterate_recurse(GST_BIN(bin))};
    GValue item = G_VALUE_INIT;
    bool stalled = false;
    for (bool more = true; more && !stalled;) {
        switch (gst_iterator_next(elements.get(), &item)) {
            case GST_ITERATOR_OK: {
                auto* element = GST_ELEMENT(g_value_get_object(&item));
                stalled = IsDemuxer(element) && WithoutStreams(element) && SinkLoopPaused(element);
                g_value_reset(&item);
                break;
            }
            case GST_ITERATOR_RESYNC:
                gst_iterator_resync(elements.get());
                break;
            default:
                more = false;
                break;
        }
    }
    g_value_unset(&item);
    return stalled;
}

}  // namespace kelto::mciservice
