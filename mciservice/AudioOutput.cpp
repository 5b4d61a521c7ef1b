#include "mciservice/AudioOutput.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>

#include "mciservice/DiscardingSink.h"

namespace kelto::mciservice {

namespace {

constexpr gint64 kLookAgainAfterUs = 60 * G_USEC_PER_SEC;

struct Finding {
    std::mutex mutex;
    std::condition_variable done;
    bool looking = false;
    bool known = false;
    std::string factory;  // empty: no output
    gint64 answeredAt = 0;
};

// Never destroyed: a look may still be running on its thread while the
// process exits, and must not find the state gone.
Finding& State() {
    static auto* finding = new Finding();
    return *finding;
}

GstPtr<GstElement> MakeElement(const char* factory) {
    return AdoptFloating(gst_element_factory_make(factory, nullptr));
}

// The automatic sink tries each output in turn when it is readied and keeps
// the first that opens; with none it settles for a fake one inside.
std::string LookForOutput() {
    auto automatic = MakeElement("autoaudiosink");
    if (!automatic) {
        return {};
    }
    std::string found;
    if (gst_element_set_state(automatic.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        GstIterator* children = gst_bin_iterate_elements(GST_BIN(automatic.get()));
        GValue item = G_VALUE_INIT;
        while (found.empty() && gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
            GstElementFactory* factory =
                gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
            if (factory != nullptr && std::string_view(GST_OBJECT_NAME(factory)) != "fakesink") {
                found = GST_OBJECT_NAME(factory);
            }
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(children);
    }
    gst_element_set_state(automatic.get(), GST_STATE_NULL);
    return found;
}

void Answer(Finding& state, std::string factory) {
    {
        const std::lock_guard lock(state.mutex);
        state.factory = std::move(factory);
        state.known = true;
        state.looking = false;
        state.answeredAt = g_get_monotonic_time();
    }
    state.done.notify_all();
}

// Call with the lock held.
void StartLooking(Finding& state) {
    state.looking = true;
    std::thread([&state] { Answer(state, LookForOutput()); }).detach();
}

}  // namespace

void AudioOutput::FindInBackground() {
    Finding& state = State();
    const std::lock_guard lock(state.mutex);
    if (!state.looking && !state.known) {
        StartLooking(state);
    }
}

GstPtr<GstElement> AudioOutput::MakeSink(gint64 maxWaitUs) {
    Finding& state = State();
    std::string factory;
    {
        std::unique_lock lock(state.mutex);
        if (!state.looking && !state.known) {
            StartLooking(state);
        }
        // A second look (of an answer that was "none") is not waited for.
        state.done.wait_for(lock, std::chrono::microseconds(maxWaitUs),
                            [&state] { return state.known || !state.looking; });
        if (!state.known) {
            return MakeDiscardingSink();
        }
        factory = state.factory;
        if (factory.empty() && !state.looking &&
            g_get_monotonic_time() - state.answeredAt >= kLookAgainAfterUs) {
            StartLooking(state);
        }
    }
    if (factory.empty()) {
        return MakeDiscardingSink();
    }
    // The output found earlier may have gone since (a device unplugged, a
    // server stopped): one that no longer opens is looked for again.
    auto sink = MakeElement(factory.c_str());
    if (sink && gst_element_set_state(sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        return sink;
    }
    if (sink) {
        gst_element_set_state(sink.get(), GST_STATE_NULL);
    }
    {
        const std::lock_guard lock(state.mutex);
        if (!state.looking) {
            state.known = false;
            StartLooking(state);
        }
    }
    return MakeDiscardingSink();
}

std::string AudioOutput::FoundFactory() {
    Finding& state = State();
    const std::lock_guard lock(state.mutex);
    return state.known ? state.factory : std::string();
}

}  // namespace kelto::mciservice
