#pragma once

#include <string>
#include <vector>

#include "mciservice/MciService.h"
#include "platform/MediaTracks.h"

namespace kelto::mciservice {

// The track names and subtitles of the devices `service` has open, for the
// window side, which has no command words for them.
class ServiceTracks final : public platform::MediaTracks {
public:
    // `service` must outlive this object.
    explicit ServiceTracks(MciService& service) : service_(service) {}

    std::vector<platform::TrackInfo> AudioTracks(const std::string& alias) override;
    std::vector<platform::TrackInfo> Subtitles(const std::string& alias) override;
    int ShownSubtitle(const std::string& alias) override;
    bool ShowSubtitle(const std::string& alias, int number) override;
    bool AddSubtitleFile(const std::string& alias, const std::string& path) override;

private:
    MciService& service_;
};

}  // namespace kelto::mciservice
