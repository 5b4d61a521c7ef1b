#include "mci/ModuleMultimedia.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "mci/CheckedArithmetic.h"

namespace kelto::mci {

namespace {

// The service's buffers and the fixed widths of the padded commands.
constexpr std::size_t kReplyCapacity = 128;
constexpr std::size_t kErrorTextCapacity = 128;
constexpr std::size_t kShortPathCapacity = 255;
constexpr std::size_t kOpenCommandLength = 255;
constexpr std::size_t kPlayCommandLength = 128;
constexpr std::size_t kSpeedCommandLength = 128;

// WS_CHILD: the service creates the video window inside the given parent.
constexpr std::int32_t kChildWindowStyle = 1073741824;

using ReplyBuffer = std::array<char, kReplyCapacity>;

// Blank-pads or cuts `command` to exactly `length` characters; the service
// treats the trailing blanks as nothing.
std::string FitToLength(std::string command, std::size_t length) {
    command.resize(length, ' ');
    return command;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::int32_t TextToInt32(const std::string& text) {
    return RoundToInt32(ReadReplyNumber(text.data(), text.size())).value_or(-1);
}

}  // namespace

ModuleMultimedia::ModuleMultimedia(platform::MciPlatform& platform) : platform_(platform) {}

std::string ModuleMultimedia::ErrorText(std::uint32_t code) {
    std::string buffer(kErrorTextCapacity, '\0');
    // An unknown code leaves the buffer as it was: all NULs, shown as nothing.
    platform_.mciGetErrorStringA(code, buffer.data(), kErrorTextCapacity);
    return buffer;
}

std::string ModuleMultimedia::SendCommand(const std::string& command) {
    const std::uint32_t code = platform_.mciSendStringA(command, nullptr, 0, 0);
    if (code == 0) {
        return std::string(kSuccess);
    }
    return ErrorText(code);
}

std::optional<std::int32_t> ModuleMultimedia::QueryStatus(const std::string& command) {
    ReplyBuffer reply{};
    if (platform_.mciSendStringA(command, reply.data(), kReplyCapacity, 0) != 0) {
        return -1;
    }
    return RoundToInt32(ReadReplyNumber(reply.data(), kReplyCapacity));
}

std::string ModuleMultimedia::OpenMedia(std::int32_t parentWindow, const std::string& alias,
                                        const std::string& filePath,
                                        const std::string& deviceType) {
    std::array<char, kShortPathCapacity> shortBuffer{};
    const std::uint32_t length =
        platform_.GetShortPathNameA(filePath, shortBuffer.data(), kShortPathCapacity);
    // A return above the capacity is the size the platform would need: nothing
    // was written, so it counts as a failed conversion, like 0.
    std::string shortPath;
    if (length <= kShortPathCapacity) {
        shortPath.assign(shortBuffer.data(), length);
    }
    // "Alias" and "Style" keep their capitals, "type" and "parent" do not: the player's wording.
    const std::string command = "open " + shortPath + " type " + deviceType + " Alias " + alias +
                                " parent " + Decimal(parentWindow) + " Style " +
                                Decimal(kChildWindowStyle);
    return SendCommand(FitToLength(command, kOpenCommandLength));
}

std::string ModuleMultimedia::PlayMedia(const std::string& alias, const std::string& from,
                                        const std::string& to) {
    const std::string start = from.empty() ? "0" : from;
    // A length that does not fit 32 bits is as unknown as a refused one: -1.
    const std::string end = to.empty() ? Decimal(GetLengthFrames(alias)) : to;
    return SendCommand(
        FitToLength("play " + alias + " from " + start + " to " + end, kPlayCommandLength));
}

// The command words keep the letter case the player has always sent ("Close", but "play" in
// PlayMedia and "Play" in SeekAndPlay); the service matches any case, a command log does not.
std::string ModuleMultimedia::PlayOn(const std::string& alias) {
    return SendCommand("play " + alias);
}

std::string ModuleMultimedia::CloseMedia(const std::string& alias) {
    return SendCommand("Close " + alias);
}

std::string ModuleMultimedia::PauseMedia(const std::string& alias) {
    return SendCommand("Pause " + alias);
}

std::string ModuleMultimedia::StopMedia(const std::string& alias) {
    return SendCommand("Stop " + alias);
}

std::string ModuleMultimedia::ResumeMedia(const std::string& alias) {
    return SendCommand("Resume " + alias);
}

std::string ModuleMultimedia::SeekAndPlay(const std::string& alias, std::int32_t position) {
    const std::uint32_t seekCode =
        platform_.mciSendStringA("seek " + alias + " to " + Decimal(position), nullptr, 0, 0);
    // The play goes out even after a failed seek, and its own outcome is not
    // reported: the caller learns whether the jump happened.
    platform_.mciSendStringA("Play " + alias, nullptr, 0, 0);
    return seekCode == 0 ? std::string(kSuccess) : ErrorText(seekCode);
}

std::optional<std::string> ModuleMultimedia::PutVideoWindow(std::int32_t window,
                                                            const std::string& alias,
                                                            std::int32_t x, std::int32_t y,
                                                            std::int32_t width,
                                                            std::int32_t height) {
    // Either side 0 measures both: callers pass 0, 0, 0, 0 to mean "fill the whole window".
    if (width == 0 || height == 0) {
        // A window that does not exist leaves the rectangle empty: 0 by 0.
        platform::WindowRect rect;
        platform_.GetWindowRect(window, rect);
        const auto measuredWidth = Sub32(rect.right, rect.left);
        const auto measuredHeight = Sub32(rect.bottom, rect.top);
        if (!measuredWidth || !measuredHeight) return std::nullopt;
        width = *measuredWidth;
        height = *measuredHeight;
    }
    return SendCommand("put " + alias + " window at " + Decimal(x) + " " + Decimal(y) + " " +
                       Decimal(width) + " " + Decimal(height));
}

std::int32_t ModuleMultimedia::GetDestinationSize(const std::string& alias,
                                                  const std::string& which) {
    const std::string wanted = AsciiLower(which);
    if (wanted != "cx" && wanted != "cy") {
        return -1;
    }
    ReplyBuffer reply{};
    if (platform_.mciSendStringA("Where " + alias + " destination", reply.data(), kReplyCapacity,
                                 0) != 0) {
        return -1;
    }
    // The reply reads "left top width height". Only the text before the NUL
    // counts, so the search can never run past the reply.
    std::string text(reply.data(), kReplyCapacity);
    text = text.substr(0, text.find('\0'));
    const std::size_t b1 = text.find(' ');
    const std::size_t b2 = b1 == std::string::npos ? b1 : text.find(' ', b1 + 1);
    const std::size_t b3 = b2 == std::string::npos ? b2 : text.find(' ', b2 + 1);
    if (b3 == std::string::npos) {
        return -1;
    }
    const std::int32_t height = TextToInt32(text.substr(b3 + 1));
    if (wanted == "cy") {
        return height;
    }
    return TextToInt32(text.substr(b2, b3 - b2));
}

std::string ModuleMultimedia::CloseAllMedia() { return SendCommand("Close All"); }

std::optional<std::string> ModuleMultimedia::SetPlaySpeed(const std::string& alias,
                                                          std::int32_t speed) {
    // The service counts speed in thousandths of normal.
    const std::optional<std::int32_t> thousandths = Mul32(speed, 10);
    if (!thousandths) return std::nullopt;
    return SendCommand(
        FitToLength("set " + alias + " speed " + Decimal(*thousandths), kSpeedCommandLength));
}

std::optional<std::int32_t> ModuleMultimedia::LengthFrames(const std::string& alias) {
    ReplyBuffer reply{};
    // A device that refuses frames keeps its own format; the length then comes
    // in that format, which every other query shares.
    platform_.mciSendStringA("set " + alias + " time format frames", reply.data(), kReplyCapacity,
                             0);
    return QueryStatus("status " + alias + " length");
}

std::int32_t ModuleMultimedia::GetLengthFrames(const std::string& alias) {
    return LengthFrames(alias).value_or(-1);
}

std::int32_t ModuleMultimedia::GetLengthMs(const std::string& alias) {
    return QueryInMilliseconds(alias, "length");
}

std::int32_t ModuleMultimedia::QueryInMilliseconds(const std::string& alias, const char* item) {
    ReplyBuffer reply{};
    platform_.mciSendStringA("set " + alias + " time format ms", reply.data(), kReplyCapacity, 0);
    const std::uint32_t code =
        platform_.mciSendStringA("status " + alias + " " + item, reply.data(), kReplyCapacity, 0);
    // Back to frames whatever happened, so positions elsewhere stay frame numbers.
    platform_.mciSendStringA("set " + alias + " time format frames", nullptr, 0, 0);
    if (code != 0) {
        return -1;
    }
    return RoundToInt32(ReadReplyNumber(reply.data(), kReplyCapacity)).value_or(-1);
}

std::int32_t ModuleMultimedia::GetPosition(const std::string& alias) {
    return QueryStatus("status " + alias + " position").value_or(-1);
}

std::int32_t ModuleMultimedia::GetPercentPlayed(const std::string& alias) {
    // Called on every status tick: an unreadable value must not stop the
    // timer, so every arithmetic failure reads as 0 per cent, and a reply too
    // large for 32 bits counts as 0 (not as unknown) on the way there.
    const std::int32_t length = LengthFrames(alias).value_or(0);
    const std::int32_t position = QueryStatus("status " + alias + " position").value_or(0);
    if (length == -1 || position == -1) {
        return -1;
    }
    const std::optional<std::int32_t> hundredfold = Mul32(position, 100);
    if (length == 0 || !hundredfold) {
        return 0;
    }
    return RoundToInt32(static_cast<double>(*hundredfold) / length).value_or(0);
}

std::int32_t ModuleMultimedia::GetFramesPerSecond(const std::string& alias) {
    const std::int32_t milliseconds = GetLengthMs(alias);
    const std::int32_t frames = GetLengthFrames(alias);
    if (frames == -1 || milliseconds == -1 || milliseconds == 0) {
        return -1;
    }
    const double seconds = static_cast<double>(milliseconds) / 1000.0;
    return RoundToInt32(static_cast<double>(frames) / seconds).value_or(-1);
}

std::int32_t ModuleMultimedia::GetPlaySpeed(const std::string& alias) {
    ReplyBuffer reply{};
    const std::uint32_t code =
        platform_.mciSendStringA(FitToLength("status " + alias + " speed", kSpeedCommandLength),
                                 reply.data(), kReplyCapacity, 0);
    if (code != 0) {
        return -1;
    }
    // Thousandths of normal speed to per cent, rounding only once at the end.
    return RoundToInt32(ReadReplyNumber(reply.data(), kReplyCapacity) / 10.0).value_or(-1);
}

bool ModuleMultimedia::IsAtEnd(const std::string& alias, std::int32_t& knownLength) {
    if (knownLength == 0) {
        knownLength = GetLengthFrames(alias);
    }
    const std::int32_t position = GetPosition(alias);
    if (knownLength == -1 || position == -1) {
        return false;
    }
    return position >= knownLength;
}

std::string ModuleMultimedia::GetMode(const std::string& alias) {
    ReplyBuffer reply{};
    if (platform_.mciSendStringA("status " + alias + " mode", reply.data(), kReplyCapacity, 0) !=
        0) {
        return {};
    }
    return std::string(reply.data(), ::strnlen(reply.data(), kReplyCapacity));
}

std::int32_t ModuleMultimedia::GetPositionMs(const std::string& alias) {
    return QueryInMilliseconds(alias, "position");
}

std::int32_t ModuleMultimedia::GetVolume(const std::string& alias) {
    return QueryStatus("status " + alias + " volume").value_or(-1);
}

std::string ModuleMultimedia::SetVolume(const std::string& alias, std::int32_t thousandths) {
    return SendCommand("setaudio " + alias + " volume to " + Decimal(thousandths));
}

}  // namespace kelto::mci
