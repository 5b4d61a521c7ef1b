#pragma once

#include <string>

#include "platform/MediaProbe.h"

namespace kelto::mciservice {

// Tells media by content with the media engine's own type finders, the ones
// that choose how a file is opened: a file is media when they find sound or
// video in it (or a container of them), whatever its name says. Reads only the
// bytes the type finders ask for; starts the engine on first use.
class MediaContentProbe : public platform::MediaProbe {
public:
    platform::MediaContent Examine(const std::string& path) const override;
};

}  // namespace kelto::mciservice
