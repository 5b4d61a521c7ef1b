#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace kelto::testing {

// What the sink's monitor heard over a stretch of time.
struct Heard {
    // The pitch of a steady tone, from its zero crossings (two a cycle);
    // 0 for silence.
    double hertz = 0;
    // Root mean square of the samples, 1 being full scale (a full-scale sine
    // is 0.707).
    double level = 0;
    // Below this nothing is heard: the null sink passes digital silence as it is.
    static constexpr double kSilence = 0.001;
    bool Silent() const { return level < kSilence; }
};
std::string ToString(const Heard& heard);  // "440 Hz at level 0.35"

// A private sound server (Debian's pulseaudio) for one test, whose only
// output is a null sink: a program started with ClientEnv() plays into it,
// and Hear() listens to the sink's monitor, so that what the program plays
// can be measured: which tone, how loud, or silence.
//
//   testing::NullSink sink;
//   PlayerProcess player(display, {film}, "1", sink.ClientEnv());
//   ...
//   const testing::Heard heard = sink.Hear(500ms);
//   EXPECT_NEAR(heard.hertz, 440, 20);
//
// Nothing of the server is left when it goes. Throws std::runtime_error when
// the server cannot be started.
class NullSink {
public:
    NullSink();
    ~NullSink();
    NullSink(const NullSink&) = delete;
    NullSink& operator=(const NullSink&) = delete;
    NullSink(NullSink&&) = delete;
    NullSink& operator=(NullSink&&) = delete;

    // The server's address, as PULSE_SERVER takes it ("unix:/tmp/.../native").
    const std::string& Server() const { return server_; }
    // What a program's environment needs to play into the sink.
    std::map<std::string, std::string> ClientEnv() const;

    // Listens to the sink's monitor for `span` from now and tells what was
    // heard (16 kHz, the channels mixed to one). The listening starts with the
    // first call and then runs on, so later calls hear at once. Throws
    // std::runtime_error when the monitor sends nothing for that long.
    Heard Hear(std::chrono::milliseconds span);

private:
    struct Listener;

    std::filesystem::path dir_;
    std::string server_;
    pid_t pid_ = 0;
    std::unique_ptr<Listener> listener_;
};

}  // namespace kelto::testing
