#pragma once

#include <string_view>

namespace kelto::mciservice {

// Where the service's timing marks and command lines go, so that a benchmark
// or a test driving the program from outside can see what the service did and
// when. The service makes each line itself, so that the lines read the same in
// every program; the program decides which kinds it wants and where they are
// written, since the service knows no logging system of its own.
class TraceSink {
public:
    enum class Kind {
        // "<mark> <microseconds>": open-request, play-request, pause-request
        // or put-request as such a command arrives, and first-frame once the
        // first picture reaches the video sink (a video sink draws it as soon
        // as it arrives, while the file is still paused during open).
        Mark,
        // "command <microseconds> <code> <command>" once a command has been
        // answered.
        Command,
    };

    TraceSink() = default;
    TraceSink(const TraceSink&) = delete;
    TraceSink& operator=(const TraceSink&) = delete;
    virtual ~TraceSink() = default;

    // Asked before a line is made, so that a kind nobody reads costs nothing
    // more than the question.
    virtual bool Wants(Kind kind) const = 0;
    // `line` holds no line break. First-frame comes from a streaming thread
    // of the pipeline, the rest from the thread that sends the commands.
    virtual void Write(Kind kind, std::string_view line) = 0;
};

// Sets the sink of the whole process; nullptr, as at start, traces nothing at
// the cost of one look at the pointer. The times are microseconds on the
// monotonic clock (CLOCK_MONOTONIC, as g_get_monotonic_time() reads it). Set it
// before the first service starts; it must outlive every service and the
// pipelines they made.
void SetTraceSink(TraceSink* sink);

}  // namespace kelto::mciservice
