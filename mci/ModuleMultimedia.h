#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "mci/CommandResult.h"
#include "platform/MciPlatform.h"

namespace kelto::mci {

// The player's only way to the media control service. Each call builds its
// command strings afresh from the alias and arguments it is given and keeps
// nothing between calls; the device's state lives in the service.
//
// Command wrappers return a command result: exactly kSuccess when the service
// answered code 0, otherwise the service's error text as the full 128-byte
// buffer (text, then NULs). Use IsSuccess() and ResultDisplayText() on it.
//
// Numeric queries return -1 when the service refused the status command or
// when the value does not fit 32 bits: callers print it and skip what needs
// the value, whichever the reason. They leave the device counting in frames (GetPosition and
// GetPlaySpeed do not touch the time format), so positions exchanged anywhere are frame numbers.
class ModuleMultimedia {
public:
    explicit ModuleMultimedia(platform::MciPlatform& platform);

    // Opens `filePath` under `alias` as a child window of `parentWindow`. A path
    // the platform cannot shorten goes out as an empty path and the service's
    // error text comes back.
    std::string OpenMedia(std::int32_t parentWindow, const std::string& alias,
                          const std::string& filePath, const std::string& deviceType);
    // Empty `from` means "0"; empty `to` means the length in frames (-1 when
    // unknown). Non-empty values are inserted unchanged.
    std::string PlayMedia(const std::string& alias, const std::string& from, const std::string& to);
    // "play" with no places: on from where the device stands, as a live
    // stream, which has no length to play to, is played.
    std::string PlayOn(const std::string& alias);
    std::string CloseMedia(const std::string& alias);
    std::string PauseMedia(const std::string& alias);
    std::string StopMedia(const std::string& alias);
    std::string ResumeMedia(const std::string& alias);
    // Seeks, then plays whatever the seek's outcome; the result is the seek's.
    std::string SeekAndPlay(const std::string& alias, std::int32_t position);
    // A width or height of 0 takes both from `window`'s rectangle; nullopt,
    // with nothing sent, when that rectangle's size does not fit 32 bits.
    std::optional<std::string> PutVideoWindow(std::int32_t window, const std::string& alias,
                                              std::int32_t x, std::int32_t y, std::int32_t width,
                                              std::int32_t height);
    // `which` is "cx" (width) or "cy" (height), in any letter case. Returns -1
    // for any other `which` (nothing is sent), a refused command, or a reply
    // that does not hold four numbers.
    std::int32_t GetDestinationSize(const std::string& alias, const std::string& which);
    std::string CloseAllMedia();
    // `speed` is in per cent of normal speed. nullopt, with nothing sent, when
    // ten times `speed` leaves the 32-bit range.
    std::optional<std::string> SetPlaySpeed(const std::string& alias, std::int32_t speed);

    std::int32_t GetLengthFrames(const std::string& alias);
    std::int32_t GetLengthMs(const std::string& alias);
    std::int32_t GetPosition(const std::string& alias);
    // Whole per cent of the length, not capped at 100; -1 when the length or
    // position is refused; 0 when the arithmetic fails (0 length, overflow,
    // a reply too large for 32 bits).
    std::int32_t GetPercentPlayed(const std::string& alias);
    // Whole frames per second; -1 when either length is unknown or the length
    // in milliseconds is 0.
    std::int32_t GetFramesPerSecond(const std::string& alias);
    // Whole per cent of normal speed.
    std::int32_t GetPlaySpeed(const std::string& alias);
    // True once the position is not less than the length. A `knownLength` of 0
    // is replaced by the length query's answer (-1 included), so a caller can
    // keep the length between calls.
    bool IsAtEnd(const std::string& alias, std::int32_t& knownLength);

    // For the desktop's media controls, which count in time rather than frames.
    // The device's mode ("playing", "paused", "stopped", ...); empty when the
    // service refused the query, as it does with nothing open.
    std::string GetMode(const std::string& alias);
    // Position in milliseconds; leaves the device counting in frames.
    std::int32_t GetPositionMs(const std::string& alias);
    // Volume in thousandths of full, 0 to 1000.
    std::int32_t GetVolume(const std::string& alias);
    std::string SetVolume(const std::string& alias, std::int32_t thousandths);

private:
    std::string SendCommand(const std::string& command);
    std::string ErrorText(std::uint32_t code);
    // -1 when the service refused `command`; nullopt when its reply does not fit 32 bits.
    std::optional<std::int32_t> QueryStatus(const std::string& command);
    std::optional<std::int32_t> LengthFrames(const std::string& alias);
    // "status <alias> <item>" asked in milliseconds, the device left in frames.
    std::int32_t QueryInMilliseconds(const std::string& alias, const char* item);

    platform::MciPlatform& platform_;
};

}  // namespace kelto::mci
