#pragma once

#include <gst/gst.h>

#include <string>

#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

// Finding the machine's sound output means trying every kind of output the
// system has (each loads its own libraries and some wait on a server), which
// costs a noticeable fraction of a second. It is done once, on a thread of its
// own, as soon as a service starts, so that the first file opened does not pay
// for it; the answer is the factory of the output that works, or none.
class AudioOutput {
public:
    // Starts looking in the background unless an answer is known or a look is
    // under way. Cheap; safe from any thread.
    static void FindInBackground();

    // A sink for the found output, ready to be handed to a pipeline; a silent
    // sink that keeps real time when there is none. Waits at most `maxWaitUs`
    // for a look still under way, then settles for silence this once. An answer
    // of "none" is looked into again (in the background) once it is a minute
    // old, so that an output plugged in later is found.
    static GstPtr<GstElement> MakeSink(gint64 maxWaitUs);

    // The factory found, empty for none or not known yet (for tests and traces).
    static std::string FoundFactory();
};

}  // namespace kelto::mciservice
