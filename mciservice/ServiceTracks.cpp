#include "mciservice/ServiceTracks.h"

#include "mciservice/MediaDevice.h"

namespace kelto::mciservice {

std::vector<platform::TrackInfo> ServiceTracks::AudioTracks(const std::string& alias) {
    const MediaDevice* device = service_.FindDevice(alias);
    return device != nullptr ? device->Tracks(StreamKind::Audio)
                             : std::vector<platform::TrackInfo>{};
}

std::vector<platform::TrackInfo> ServiceTracks::Subtitles(const std::string& alias) {
    const MediaDevice* device = service_.FindDevice(alias);
    // Text is drawn over pictures only.
    if (device == nullptr || !device->HasPictures()) return {};
    return device->Tracks(StreamKind::Text);
}

int ServiceTracks::ShownSubtitle(const std::string& alias) {
    const MediaDevice* device = service_.FindDevice(alias);
    return device != nullptr && device->HasPictures() ? device->ShownSubtitle() : 0;
}

bool ServiceTracks::ShowSubtitle(const std::string& alias, int number) {
    MediaDevice* device = service_.FindDevice(alias);
    return device != nullptr && device->HasPictures() && device->ShowSubtitle(number);
}

bool ServiceTracks::AddSubtitleFile(const std::string& alias, const std::string& path) {
    MediaDevice* device = service_.FindDevice(alias);
    return device != nullptr && device->AddSubtitleFile(path);
}

}  // namespace kelto::mciservice
