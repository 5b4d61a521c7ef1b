#pragma once

#include <set>
#include <string>

#include "platform/MediaProbe.h"

namespace kelto::testing {

// A media probe for tests about the playlist rather than about content:
// every path is media except those listed, which hold plain text.
class ListedMediaProbe : public platform::MediaProbe {
public:
    void MarkNotMedia(const std::string& path) { notMedia_.insert(path); }

    platform::MediaContent Examine(const std::string& path) const override {
        if (notMedia_.count(path) != 0) return {false, "text/plain"};
        return {true, "audio/mpeg"};
    }

private:
    std::set<std::string> notMedia_;
};

}  // namespace kelto::testing
