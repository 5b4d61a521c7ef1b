#include "mciservice/ServicePlatform.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "mciservice/ErrorCodes.h"
#include "platform/MciErrorTexts.h"

namespace kelto::mciservice {

ServicePlatform::ServicePlatform(WindowRectLookup windowRects)
    : ownService_(std::make_unique<MciService>()),
      service_(ownService_.get()),
      windowRects_(std::move(windowRects)) {}

ServicePlatform::ServicePlatform(MciService& service, WindowRectLookup windowRects)
    : service_(&service), windowRects_(std::move(windowRects)) {}

ServicePlatform::~ServicePlatform() = default;

std::uint32_t ServicePlatform::mciSendStringA(const std::string& command, char* returnString,
                                              std::uint32_t returnLength, std::int32_t) {
    const std::string_view text(command.c_str());
    std::string reply;
    std::uint32_t rc = service_->SendString(text, reply);
    if (returnString == nullptr || returnLength == 0) {
        return rc;
    }
    if (rc == mcierr::kNone && reply.size() + 1 > returnLength) {
        rc = mcierr::kParamOverflow;
    }
    if (rc != mcierr::kNone) {
        returnString[0] = '\0';
        return rc;
    }
    std::memcpy(returnString, reply.c_str(), reply.size() + 1);
    return rc;
}

bool ServicePlatform::mciGetErrorStringA(std::uint32_t error, char* buffer, std::uint32_t length) {
    const std::string_view text = platform::MciErrorText(error);
    if (buffer == nullptr || length == 0) {
        return !text.empty();
    }
    // An unknown code has no text at all (and no storage behind the view).
    const std::size_t count = std::min<std::size_t>(text.size(), length - 1);
    if (count > 0) {
        std::memcpy(buffer, text.data(), count);
    }
    buffer[count] = '\0';
    return !text.empty();
}

std::uint32_t ServicePlatform::GetShortPathNameA(const std::string& longPath, char* shortPath,
                                                 std::uint32_t bufferLength) {
    const auto shortForm = service_->ShortPaths().ShortForm(std::string(longPath.c_str()));
    if (!shortForm) {
        return 0;
    }
    const auto needed = static_cast<std::uint32_t>(shortForm->size() + 1);
    if (shortPath == nullptr || needed > bufferLength) {
        return needed;
    }
    std::memcpy(shortPath, shortForm->c_str(), needed);
    return needed - 1;
}

bool ServicePlatform::GetWindowRect(std::int32_t window, platform::WindowRect& rect) {
    return windowRects_ ? windowRects_(window, rect) : false;
}

std::uint64_t ServicePlatform::TagsVersion(const std::string& alias) {
    return service_->TagsVersion(alias);
}

platform::TrackTags ServicePlatform::Tags(const std::string& alias) {
    return service_->Tags(alias);
}

std::string ServicePlatform::StreamFailure(const std::string& alias) {
    return service_->StreamFailure(alias);
}

}  // namespace kelto::mciservice
