#pragma once

#include <gst/gst.h>

namespace kelto::mciservice {

// True when some demuxer inside `bin` has stopped reading without having found
// a single stream. Such a file can never preroll, yet the error that stopped
// the demuxer is not always seen on the bus: the decoding bin drops errors
// raised while it is still bringing a new element up, and on a busy machine a
// file that is cut short fails within that moment. A demuxer in that state
// stays so until a flushing seek, which nothing sends while a file opens.
bool HasStalledDemuxer(GstElement* bin);

}  // namespace kelto::mciservice
