#include "mciservice/GstHandles.h"

#include <condition_variable>
#include <mutex>

namespace kelto::mciservice {

namespace {

struct StopWaiter {
    std::mutex mutex;
    std::condition_variable stopped;
    bool done = false;
};

}  // namespace

void StopAndRelease(GstElement* pipeline) {
    if (pipeline == nullptr) return;
    // Shared with the pool thread, which may outlive this call.
    auto* waiter = new std::shared_ptr<StopWaiter>(std::make_shared<StopWaiter>());
    const std::shared_ptr<StopWaiter> ours = *waiter;
    // The pool thread holds a reference of its own to the pipeline.
    gst_element_call_async(
        pipeline,
        [](GstElement* element, gpointer data) {
            gst_element_set_state(element, GST_STATE_NULL);
            StopWaiter& shared = **static_cast<std::shared_ptr<StopWaiter>*>(data);
            {
                const std::lock_guard lock(shared.mutex);
                shared.done = true;
            }
            shared.stopped.notify_all();
        },
        waiter, [](gpointer data) { delete static_cast<std::shared_ptr<StopWaiter>*>(data); });
    {
        std::unique_lock lock(ours->mutex);
        ours->stopped.wait_for(lock, kPipelineStopWait, [&] { return ours->done; });
    }
    gst_object_unref(pipeline);
}

}  // namespace kelto::mciservice
