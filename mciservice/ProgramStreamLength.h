#pragma once

#include <gst/gst.h>

#include <optional>
#include <string>

namespace kelto::mciservice {

// The length of an MPEG program stream (MPEG-1 system stream, DVD VOB) as its
// pictures' time stamps give it: from the first picture's start to the last
// picture's end, or all pictures' lengths together where that is more. The demuxer's own estimate
// goes by the pack clock, which stops a picture or more short, so the last frames could not be
// sought. Parses the file through (no decoding), within `deadline` on the gst_util_get_timestamp()
// clock. Nullopt for a file that is not a program stream, has no pictures, is too large to parse
// through at open, or is not done by then.
std::optional<GstClockTime> ProgramStreamLength(const std::string& path, GstClockTime deadline);

}  // namespace kelto::mciservice
