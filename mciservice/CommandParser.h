#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "mciservice/DeviceType.h"

namespace kelto::mciservice {

// One word of a command. A quoted word keeps its blanks and never matches a
// keyword or "all", so a file name cannot pass itself off as part of the syntax.
struct Token {
    std::string_view text;
    bool quoted = false;
};

// A command cut into its verb, its device name and the words after them. The
// views point into the command text, which must outlive this object.
struct CommandLine {
    static constexpr std::size_t kMaxWords = 32;

    std::string_view verb;
    Token device;
    std::array<Token, kMaxWords> words{};
    std::size_t wordCount = 0;

    std::span<const Token> Words() const { return {words.data(), wordCount}; }
};

// Cuts `command` into a CommandLine. Returns 0 or the code of the first fault:
// empty command, no device name, a quote left open or followed by other
// characters. More than kMaxWords words give 259.
std::uint32_t SplitCommand(std::string_view command, CommandLine& out);

// Every keyword any command knows. Multi-word keywords ("time format") are one
// keyword here.
enum class Kw : std::uint8_t {
    Wait,
    Notify,
    Type,
    Alias,
    Parent,
    Style,
    Shareable,
    Buffer,
    From,
    To,
    ToStart,
    ToEnd,
    TimeFormat,
    Speed,
    AudioAllOn,
    AudioAllOff,
    Length,
    Position,
    Mode,
    Ready,
    Volume,
    Destination,
    Source,
    WindowAt,
    DestinationAt,
    VolumeTo,
    On,
    Off,
    // capability
    CanEject,
    CanPlay,
    CanRecord,
    CanSave,
    CompoundDevice,
    DeviceTypeItem,
    HasAudio,
    HasVideo,
    UsesFiles,
    CanFreeze,
    CanLock,
    CanReverse,
    CanStretch,
    CanStretchInput,
    CanTest,
    HasStill,
    MaximumPlayRate,
    MinimumPlayRate,
    UsesPalettes,
    Windows,
    Inputs,
    Outputs,
    // info
    Product,
    File,
    Version,
    WindowText,
    // sysinfo
    Quantity,
    Open,
    Name,
    InstallName,
    // status items beyond the transport's
    FrameRate,
    NominalFrameRate,
    MediaPresent,
    NumberOfTracks,
    CurrentTrack,
    StartPosition,
    WindowHandle,
    WindowVisible,
    WindowMinimized,
    WindowMaximized,
    // where, put, window
    Window,
    SourceAt,
    StateHide,
    StateShow,
    StateMinimized,
    StateMaximized,
    StateNoAction,
    Text,
    Handle,
    HandleDefault,
    // step, cue
    By,
    Reverse,
    Input,
    Output,
    // waveaudio format
    BitsPerSample,
    Channels,
    SamplesPerSec,
    BytesPerSec,
    Alignment,
    FormatTag,
    Level,
    Track,
    // sequencer
    Tempo,
    Port,
    TimeFormatSongPointer,
    TimeFormatSmpte24,
    TimeFormatSmpte25,
    TimeFormatSmpte30,
    TimeFormatSmpte30Drop,
    // streams of a digital-video file
    Audio,
    AudioStream,
    VideoStream,
    StreamTo,
    // record, save, delete
    Insert,
    Overwrite,
    FileName,
    Count
};

enum class ValueKind : std::uint8_t { None, Integer, Rect, Word };

// `words` are lower-case and separated by single blanks; empty `words` take the
// first word that is no keyword as their value (a file name). Keywords that share a
// non-zero `group` cannot be given together (284). Only devices of `types` know
// the keyword: to the others it is an unknown word.
struct KeywordSpec {
    std::string_view words;
    Kw id;
    ValueKind value;
    std::uint8_t group = 0;
    DeviceTypes types = kEveryType;
    // An item's number, which may stand for its words ("status m 4" is the
    // mode); 0 for none.
    std::uint32_t number = 0;
};

struct Rect {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// What ParseArguments found: which keywords were given and their values.
class Arguments {
public:
    bool Has(Kw kw) const { return present_.test(Index(kw)); }
    std::int64_t Integer(Kw kw) const { return integers_[Index(kw)]; }
    std::string_view Word(Kw kw) const { return words_[Index(kw)]; }
    const Rect& RectValue() const { return rect_; }
    // The status or where item, when the command takes one.
    std::optional<Kw> Item() const { return item_; }

private:
    friend std::uint32_t ParseArguments(std::span<const KeywordSpec>, bool, std::span<const Token>,
                                        Arguments&, DeviceTypes);
    static constexpr std::size_t Index(Kw kw) { return static_cast<std::size_t>(kw); }
    static constexpr std::size_t kCount = static_cast<std::size_t>(Kw::Count);

    std::bitset<kCount> present_;
    std::array<std::int64_t, kCount> integers_{};
    std::array<std::string_view, kCount> words_{};
    Rect rect_;
    std::optional<Kw> item_;
};

// Matches `words` against `specs` (plus "wait" and "notify", which every command
// accepts). With `itemList` the command takes exactly one item from the specs of
// group 1 ("status", "where"), by its words or its number: an unknown word is
// 290 and a second item, or the same one again, 284.
// Otherwise an unknown word is 259, a keyword given twice 295, two keywords of
// one group 284, a missing or malformed integer 270 and a missing word 273.
// Keywords that no type in `types` knows are not matched.
std::uint32_t ParseArguments(std::span<const KeywordSpec> specs, bool itemList,
                             std::span<const Token> words, Arguments& out,
                             DeviceTypes types = kEveryType);

// Plain decimal with an optional minus sign, within what a 32-bit value (signed
// or unsigned) can hold; or up to four numbers of 0 to 255 joined by colons
// ("0:1:30:12", hours first), packed one to a byte from the lowest, as the
// language takes positions in the colon formats. A number left out between
// colons is 0 (":1" is the second place, "250::" the first).
std::optional<std::int64_t> ParseInteger(std::string_view text);

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace kelto::mciservice
