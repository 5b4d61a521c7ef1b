#pragma once

#include <cstdint>
#include <string>

namespace kelto::platform {

class MediaTracks;

// Screen rectangle as the window system reports it: right and bottom are
// exclusive, so width = right - left.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The only door from the command layer to the outside world. The four calls
// take text in, write into caller-owned buffers of a given capacity and answer
// with 32-bit codes, the shape the command layer's buffer handling is written
// for, so that its byte-exact behaviour can be tested against a recording fake.
class MciPlatform {
public:
    MciPlatform() = default;
    MciPlatform(const MciPlatform&) = delete;
    MciPlatform& operator=(const MciPlatform&) = delete;
    MciPlatform(MciPlatform&&) = delete;
    MciPlatform& operator=(MciPlatform&&) = delete;
    virtual ~MciPlatform() = default;

    // Sends one command. `returnString` may be null when `returnLength` is 0.
    // The reply, when there is one, is written NUL-terminated within
    // `returnLength` bytes. Returns 0 on success, an error code otherwise.
    virtual std::uint32_t mciSendStringA(const std::string& command, char* returnString,
                                         std::uint32_t returnLength,
                                         std::int32_t callbackWindow) = 0;

    // Writes the description of `error` into `buffer` (at most `length` - 1
    // characters and a NUL). Returns false for an unknown code.
    virtual bool mciGetErrorStringA(std::uint32_t error, char* buffer, std::uint32_t length) = 0;

    // Writes a form of `longPath` that can travel unquoted inside a command
    // string. Returns its length without the NUL, 0 when the file does not
    // exist, or the size needed (writing nothing) when the buffer is too small.
    virtual std::uint32_t GetShortPathNameA(const std::string& longPath, char* shortPath,
                                            std::uint32_t bufferLength) = 0;

    // Screen rectangle of the native window `window`; false if there is none.
    virtual bool GetWindowRect(std::int32_t window, WindowRect& rect) = 0;

    // The service's subtitles and track names, which have no command words;
    // null where the service behind offers none.
    virtual MediaTracks* Tracks() { return nullptr; }
};

}  // namespace kelto::platform
