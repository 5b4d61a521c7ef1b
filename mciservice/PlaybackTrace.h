#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <string_view>

namespace kelto::mciservice {

// Opt-in timing marks, so that a benchmark can see from outside how long the
// service takes to show a picture. With KELTO_MCI_TRACE=1 in the environment
// each mark is one line "<mark> <microseconds>" on standard error, timed on the
// monotonic clock (CLOCK_MONOTONIC, as g_get_monotonic_time() reads it).
// KELTO_MCI_TRACE=marks prints the marks alone, without a line for every
// command, so that a benchmark measures the program as its users run it.
// When the variable is unset or anything else, nothing is printed and a mark
// costs one getenv().
bool TraceEnabled();

// Prints "open-request", "play-request", "pause-request" or "put-request" for
// a command with that verb (in any letter case); other verbs are not marked.
void TraceCommand(std::string_view verb);

// Prints "command <microseconds> <code> <command>" once the service has
// answered a command, so that a test driving the program from outside can see
// what its controls asked for and wait on it (with KELTO_MCI_TRACE=1 only).
void TraceResult(std::string_view command, std::uint32_t code);

// Prints "first-frame" when the first buffer reaches `sink`, once for the
// sink's life. A video sink draws the first picture as soon as it arrives,
// while the file is still paused during open, so this is when the picture
// appears. Does nothing when tracing is off.
void TraceFirstFrame(GstElement* sink);

}  // namespace kelto::mciservice
