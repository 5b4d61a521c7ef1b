#include "mciservice/AudioSinkProbe.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
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

// OpenAL's sink reaches the desktop through the same outputs as the sinks
// tried before it (PulseAudio, ALSA, JACK, OSS): when none of them opens,
// neither does it. Its library then tells standard error so itself ("AL lib:
// (EE) ... Could not open playback device") and hears only a variable of the
// environment, read once for the whole process, about that; so it is not
// tried at all.
constexpr std::array<std::string_view, 1> kPassedOver = {"openalsink"};

bool PassedOver(GstElementFactory* factory) {
    const std::string_view name = GST_OBJECT_NAME(factory);
    return std::find(kPassedOver.begin(), kPassedOver.end(), name) != kPassedOver.end();
}

// Tries each output in turn, as the automatic sink does (the engine's sound
// sinks of some rank, highest first), and keeps the first that opens; none
// when none does.
std::string ProbeOutputs() {
    GList* factories = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    factories = g_list_sort(factories, gst_plugin_feature_rank_compare_func);
    std::string found;
    for (GList* item = factories; item != nullptr && found.empty(); item = item->next) {
        auto* factory = GST_ELEMENT_FACTORY(item->data);
        if (PassedOver(factory)) continue;
        auto sink = AdoptFloating(gst_element_factory_create(factory, nullptr));
        if (!sink) continue;
        if (gst_element_set_state(sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
            found = GST_OBJECT_NAME(factory);
        }
        gst_element_set_state(sink.get(), GST_STATE_NULL);
    }
    gst_plugin_feature_list_free(factories);
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
