#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <string_view>

#include "mciservice/TraceSink.h"

namespace kelto::mciservice {

// The service's side of its trace (see TraceSink.h). With no sink set, or one
// that does not want the kind, each call stops at that.

// Marks "open-request", "play-request", "pause-request" or "put-request" for a
// command with that verb (in any letter case); other verbs are not marked.
void TraceCommand(std::string_view verb);

// The line of a command the service has answered with `code`.
void TraceResult(std::string_view command, std::uint32_t code);

// Marks "first-frame" when the first buffer reaches `sink`, once for the
// sink's life.
void TraceFirstFrame(GstElement* sink);

}  // namespace kelto::mciservice
