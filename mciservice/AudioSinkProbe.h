#pragma once

#include <gst/gst.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

// Finds which of the system's sound outputs opens. Trying them loads each
// kind's libraries and some wait on a server, a noticeable fraction of a
// second, so the probe runs on a thread of its own from the start and the
// first file opened need not pay for it. The probe's owner (the service) joins
// the thread when it ends.
class AudioSinkProbe {
public:
    AudioSinkProbe();
    AudioSinkProbe(const AudioSinkProbe&) = delete;
    AudioSinkProbe& operator=(const AudioSinkProbe&) = delete;
    ~AudioSinkProbe();

    // A sink for the output found, ready for a pipeline; a silent sink that
    // keeps real time when there is none or the probe has not answered within
    // `maxWait`. An output that stopped opening (unplugged, its server gone)
    // is probed for again at once, no output at all once a minute.
    GstPtr<GstElement> MakeSink(std::chrono::milliseconds maxWait);

    // The output's factory name; empty for none or no answer yet.
    std::string Found() const;

private:
    // Call with the lock held and no probe running; hands back the finished
    // probe's thread for the caller to join once the lock is released.
    std::thread StartLocked();

    mutable std::mutex mutex_;
    std::condition_variable answered_;
    bool running_ = false;
    bool known_ = false;
    std::string factory_;  // empty: no output
    std::chrono::steady_clock::time_point answeredAt_;
    std::thread thread_;
};

}  // namespace kelto::mciservice
