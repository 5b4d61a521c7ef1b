#include "mciservice/AudioSinkProbe.h"

#include <sys/resource.h>
#include <unistd.h>

#include <string_view>
#include <utility>

#include "mciservice/DiscardingSink.h"

namespace kelto::mciservice {

namespace {

constexpr int kProbeNiceness = 10;
// A machine without sound is probed again at most this often, so that an
// output plugged in later is found without every open paying for a probe.
constexpr auto kProbeNoneAgainAfter = std::chrono::minutes(1);

GstPtr<GstElement> MakeElement(const char* factory) {
    return AdoptFloating(gst_element_factory_make(factory, nullptr));
}

// The automatic sink tries each output in turn when it is readied and keeps
// the first that opens; with none it settles for a fake one inside.
std::string ProbeOutputs() {
    auto automatic = MakeElement("autoaudiosink");
    if (!automatic) return {};
    std::string found;
    if (gst_element_set_state(automatic.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        const GstIteratorPtr children{gst_bin_iterate_elements(GST_BIN(automatic.get()))};
        GValue item = G_VALUE_INIT;
        while (found.empty() && gst_iterator_next(children.get(), &item) == GST_ITERATOR_OK) {
            GstElementFactory* factory =
                gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
            if (factory != nullptr && std::string_view(GST_OBJECT_NAME(factory)) != "fakesink") {
                found = GST_OBJECT_NAME(factory);
            }
            g_value_reset(&item);
        }
        g_value_unset(&item);
    }
    gst_element_set_state(automatic.get(), GST_STATE_NULL);
    return found;
}

}  // namespace

AudioSinkProbe::AudioSinkProbe() {
    const std::lock_guard lock(mutex_);
    StartLocked();
}

AudioSinkProbe::~AudioSinkProbe() {
    if (thread_.joinable()) thread_.join();
}

std::thread AudioSinkProbe::StartLocked() {
    std::thread finished = std::move(thread_);
    running_ = true;
    thread_ = std::thread([this] {
        // The probe runs while the window is still coming up; on a busy
        // machine it gives way to that. An open that needs the answer waits
        // for it, and then this thread has the processor anyway.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kProbeNiceness);
        std::string found = ProbeOutputs();
        {
            const std::lock_guard lock(mutex_);
            factory_ = std::move(found);
            known_ = true;
            running_ = false;
            answeredAt_ = std::chrono::steady_clock::now();
        }
        answered_.notify_all();
    });
    return finished;
}

GstPtr<GstElement> AudioSinkProbe::MakeSink(std::chrono::milliseconds maxWait) {
    std::string factory;
    std::thread finished;
    {
        std::unique_lock lock(mutex_);
        // Only the first answer is waited for; a later probe serves later files.
        answered_.wait_for(lock, maxWait, [this] { return known_ || !running_; });
        factory = known_ ? factory_ : std::string();
        if (known_ && factory.empty() && !running_ &&
            std::chrono::steady_clock::now() - answeredAt_ >= kProbeNoneAgainAfter) {
            finished = StartLocked();
        }
    }
    if (finished.joinable()) finished.join();
    if (factory.empty()) return MakeDiscardingSink();

    auto sink = MakeElement(factory.c_str());
    if (sink && gst_element_set_state(sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        return sink;
    }
    if (sink) gst_element_set_state(sink.get(), GST_STATE_NULL);
    // The output found before has gone: the next file waits for a new answer.
    {
        const std::lock_guard lock(mutex_);
        if (!running_) {
            known_ = false;
            finished = StartLocked();
        }
    }
    if (finished.joinable()) finished.join();
    return MakeDiscardingSink();
}

std::string AudioSinkProbe::Found() const {
    const std::lock_guard lock(mutex_);
    return known_ ? factory_ : std::string();
}

}  // namespace kelto::mciservice
