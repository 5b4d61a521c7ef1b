#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <mutex>

#include "platform/TrackTags.h"

namespace kelto::mciservice {

// Gathers the tags a pipeline's elements announce, on whatever streaming
// thread they come, for the service's thread to read between commands. A
// later value of a field replaces the earlier one: a station announces each
// new song as a new title.
class TagCollector {
public:
    // Called from the bus's sync handler.
    void Add(const GstTagList* tags);

    std::uint64_t Version() const;
    platform::TrackTags Tags() const;

private:
    mutable std::mutex mutex_;
    platform::TrackTags tags_;
    // Whether the cover held is the front one, which no other picture replaces.
    bool frontCover_ = false;
    std::uint64_t version_ = 0;
};

}  // namespace kelto::mciservice
