#pragma once

#include <gst/gst.h>

#include <optional>
#include <string>

namespace kelto::mciservice {

// The length of the file `playbin` has prerolled. Parsers of constant-rate
// streams know it a moment after preroll, so it is asked again until it comes;
// streams of variable rate without a length in their headers are parsed
// through (no decoding) to see where they end. Every wait ends by `deadline`,
// on the gst_util_get_timestamp() clock. Nullopt when no length was found by
// then.
std::optional<GstClockTime> StreamDuration(GstElement* playbin, const std::string& path,
                                           GstClockTime deadline);

}  // namespace kelto::mciservice
