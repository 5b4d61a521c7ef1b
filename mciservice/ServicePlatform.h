#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "mciservice/MciService.h"
#include "platform/MciPlatform.h"
#include "platform/TrackTags.h"

namespace kelto::mciservice {

// The command layer's platform seam served by this process's own MciService,
// and the service's tags beside it.
class ServicePlatform : public platform::MciPlatform, public platform::TrackTagSource {
public:
    // Gives the screen rectangle of a native window; the window system's side
    // supplies it. Without one, GetWindowRect finds no window.
    using WindowRectLookup = std::function<bool(std::int32_t, platform::WindowRect&)>;

    // Owns a service of its own.
    explicit ServicePlatform(WindowRectLookup windowRects = {});
    // Uses `service`, which must outlive this object.
    explicit ServicePlatform(MciService& service, WindowRectLookup windowRects = {});
    ~ServicePlatform() override;

    MciService& Service() { return *service_; }

    // The command text ends at its first NUL, as a C string would. A reply that
    // does not fit `returnLength` (with its NUL) gives 268.
    std::uint32_t mciSendStringA(const std::string& command, char* returnString,
                                 std::uint32_t returnLength, std::int32_t callbackWindow) override;
    bool mciGetErrorStringA(std::uint32_t error, char* buffer, std::uint32_t length) override;
    std::uint32_t GetShortPathNameA(const std::string& longPath, char* shortPath,
                                    std::uint32_t bufferLength) override;
    bool GetWindowRect(std::int32_t window, platform::WindowRect& rect) override;

    std::uint64_t TagsVersion(const std::string& alias) override;
    platform::TrackTags Tags(const std::string& alias) override;
    std::string StreamFailure(const std::string& alias) override;

private:
    std::unique_ptr<MciService> ownService_;
    MciService* service_;
    WindowRectLookup windowRects_;
};

}  // namespace kelto::mciservice
