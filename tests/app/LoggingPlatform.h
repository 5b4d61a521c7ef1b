#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/MciPlatform.h"

namespace kelto::testing {

// Passes every call on to a real platform and keeps, in order, the commands
// sent with their codes and the long paths asked to be shortened, so a test
// of the real service can still see which file was opened.
class LoggingPlatform : public platform::MciPlatform {
public:
    struct Entry {
        std::string text;  // the command, or "shorten <long path>"
        std::uint32_t code = 0;
    };

    explicit LoggingPlatform(std::unique_ptr<platform::MciPlatform> inner)
        : inner_(std::move(inner)) {}

    std::vector<Entry> Log() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }

    std::uint32_t mciSendStringA(const std::string& command, char* returnString,
                                 std::uint32_t returnLength, std::int32_t callbackWindow) override {
        const std::uint32_t code =
            inner_->mciSendStringA(command, returnString, returnLength, callbackWindow);
        Add({command.substr(0, command.find_last_not_of(' ') + 1), code});
        return code;
    }
    bool mciGetErrorStringA(std::uint32_t error, char* buffer, std::uint32_t length) override {
        return inner_->mciGetErrorStringA(error, buffer, length);
    }
    std::uint32_t GetShortPathNameA(const std::string& longPath, char* shortPath,
                                    std::uint32_t bufferLength) override {
        const std::uint32_t length = inner_->GetShortPathNameA(longPath, shortPath, bufferLength);
        Add({"shorten " + longPath, length});
        return length;
    }
    bool GetWindowRect(std::int32_t window, platform::WindowRect& rect) override {
        return inner_->GetWindowRect(window, rect);
    }

private:
    void Add(Entry entry) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(std::move(entry));
    }

    std::unique_ptr<platform::MciPlatform> inner_;
    mutable std::mutex mutex_;
    std::vector<Entry> log_;
};

}  // namespace kelto::testing
