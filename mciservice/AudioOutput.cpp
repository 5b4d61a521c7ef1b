#include "mciservice/AudioOutput.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>

#include "mciservice/DiscardingSink.h"

namespace kelto::mciservice {

namespace {

constexpr gint64 kLookAgainAfterUs = 60 * G_USEC_PER_SEC;
constexpr int kLookNiceness = 10;

struct Finding {
    std::mutex mutex;
    std::condition_variable done;
    bool looking = false;
    bool known = false;
    std::string factory;  // empty: no output
    gint64 answeredAt = 0;
    std::thread worker;
};

// How long the end of the process waits for a look still under way.
constexpr auto kExitWait = std::chrono::seconds(2);

// Never destroyed, so that a look still running when the process ends (one
// that outlasted the wait below) never finds its state gone.
Finding& State() {
    static auto* finding = new Finding();
    // A process that ends while a look is loading sound libraries on the other
    // thread would tear them down under it; the end waits for the look to
    // finish (within a limit) and collects the thread.
    static const struct AtExit {
        ~AtExit() {
            Finding& state = *finding;
            std::unique_lock lock(state.mutex);
            const bool finished =
                state.done.wait_for(lock, kExitWait, [&state] { return !state.looking; });
            if (!state.worker.joinable()) return;
            if (finished) {
                state.worker.join();
            } else {
                state.worker.detach();
            }
        }
    } atExit;
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

// Call with the lock held, and only when no look is under way.
void StartLooking(Finding& state) {
    // The previous look has answered, so its thread is ending or gone.
    if (state.worker.joinable()) state.worker.join();
    state.looking = true;
    state.worker = std::thread([&state] {
        // The look runs while the window is still coming up; on a busy machine
        // it gives way to that rather than delay it. An open that needs the
        // answer waits for it, and then this thread has the processor anyway.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kLookNiceness);
        Answer(state, LookForOutput());
    });
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
