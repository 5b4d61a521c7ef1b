#include "mciservice/CommandTable.h"

#include <array>

#include "mciservice/CommandHandlers.h"

namespace kelto::mciservice {

namespace {

using V = ValueKind;
constexpr DeviceTypes kVideo = kDigitalVideo;
constexpr DeviceTypes kWave = kWaveAudio;
constexpr DeviceTypes kSeq = kSequencer;

constexpr KeywordSpec kOpenKeywords[] = {
    {"type", Kw::Type, V::Word},
    {"alias", Kw::Alias, V::Word},
    {"parent", Kw::Parent, V::Integer},
    {"style", Kw::Style, V::Integer},
    {"shareable", Kw::Shareable, V::None},
    {"sharable", Kw::Shareable, V::None},
    // Seconds of sound the wave device buffers: kept, as the engine buffers itself.
    {"buffer", Kw::Buffer, V::Integer, 0, kWave},
};
constexpr KeywordSpec kPlayKeywords[] = {
    {"from", Kw::From, V::Integer},
    {"to", Kw::To, V::Integer},
};
constexpr KeywordSpec kSeekKeywords[] = {
    {"to", Kw::To, V::Integer, 1},
    {"to start", Kw::ToStart, V::None, 1},
    {"to end", Kw::ToEnd, V::None, 1},
};
constexpr KeywordSpec kSetKeywords[] = {
    {"time format", Kw::TimeFormat, V::Word},
    {"speed", Kw::Speed, V::Integer, 0, kVideo},
    {"audio all on", Kw::AudioAllOn, V::None, 1},
    {"audio all off", Kw::AudioAllOff, V::None, 1},
    {"bitspersample", Kw::BitsPerSample, V::Integer, 0, kWave},
    {"channels", Kw::Channels, V::Integer, 0, kWave},
    {"samplespersec", Kw::SamplesPerSec, V::Integer, 0, kWave},
    {"bytespersec", Kw::BytesPerSec, V::Integer, 0, kWave},
    {"alignment", Kw::Alignment, V::Integer, 0, kWave},
    {"format tag", Kw::FormatTag, V::Word, 0, kWave},
    {"tempo", Kw::Tempo, V::Integer, 0, kSeq},
    {"port", Kw::Port, V::Word, 0, kSeq},
    // The sequencer's time formats of more than one word.
    {"time format song pointer", Kw::TimeFormatSongPointer, V::None, 2, kSeq},
    {"time format smpte 24", Kw::TimeFormatSmpte24, V::None, 2, kSeq},
    {"time format smpte 25", Kw::TimeFormatSmpte25, V::None, 2, kSeq},
    {"time format smpte 30", Kw::TimeFormatSmpte30, V::None, 2, kSeq},
    {"time format smpte 30 drop", Kw::TimeFormatSmpte30Drop, V::None, 2, kSeq},
};
constexpr KeywordSpec kStatusItems[] = {
    {"length", Kw::Length, V::None, 1, kEveryType, 1},
    {"position", Kw::Position, V::None, 1, kEveryType, 2},
    {"speed", Kw::Speed, V::None, 1, kVideo, 0x4003},
    {"mode", Kw::Mode, V::None, 1, kEveryType, 4},
    {"time format", Kw::TimeFormat, V::None, 1, kEveryType, 6},
    {"ready", Kw::Ready, V::None, 1, kEveryType, 7},
    {"volume", Kw::Volume, V::None, 1, kVideo, 0x4019},
    {"audio", Kw::Audio, V::None, 1, kVideo},
    {"audio stream", Kw::AudioStream, V::None, 1, kVideo},
    {"video stream", Kw::VideoStream, V::None, 1, kVideo},
    {"media present", Kw::MediaPresent, V::None, 1, kEveryType, 5},
    {"number of tracks", Kw::NumberOfTracks, V::None, 1, kEveryType, 3},
    {"current track", Kw::CurrentTrack, V::None, 1, kEveryType, 8},
    {"start position", Kw::StartPosition, V::None, 1, kEveryType, 0x200},
    {"frame rate", Kw::FrameRate, V::None, 1, kVideo, 0x400E},
    {"nominal frame rate", Kw::NominalFrameRate, V::None, 1, kVideo},
    {"window handle", Kw::WindowHandle, V::None, 1, kVideo, 0x4001},
    {"window visible", Kw::WindowVisible, V::None, 1, kVideo, 0x4021},
    {"window minimized", Kw::WindowMinimized, V::None, 1, kVideo, 0x4022},
    {"window maximized", Kw::WindowMaximized, V::None, 1, kVideo, 0x4023},
    {"bitspersample", Kw::BitsPerSample, V::None, 1, kWave, 0x4006},
    {"channels", Kw::Channels, V::None, 1, kWave, 0x4002},
    {"samplespersec", Kw::SamplesPerSec, V::None, 1, kWave, 0x4003},
    {"bytespersec", Kw::BytesPerSec, V::None, 1, kWave, 0x4004},
    {"alignment", Kw::Alignment, V::None, 1, kWave, 0x4005},
    {"format tag", Kw::FormatTag, V::None, 1, kWave, 0x4001},
    {"level", Kw::Level, V::None, 1, kWave, 0x4007},
    {"tempo", Kw::Tempo, V::None, 1, kSeq, 0x4002},
    {"port", Kw::Port, V::None, 1, kSeq, 0x4003},
    // A file is one track: "length track 1" is its length.
    {"track", Kw::Track, V::Integer},
};
constexpr KeywordSpec kWhereItems[] = {
    {"destination", Kw::Destination, V::None, 1},
    {"source", Kw::Source, V::None, 1},
    {"window", Kw::Window, V::None, 1},
};
constexpr KeywordSpec kPutKeywords[] = {
    {"window at", Kw::WindowAt, V::Rect, 1},
    {"destination at", Kw::DestinationAt, V::Rect, 1},
    {"source at", Kw::SourceAt, V::Rect, 1},
};
// The window states of the documentation, several words to one effect each.
constexpr KeywordSpec kWindowKeywords[] = {
    {"state hide", Kw::StateHide, V::None, 2},
    {"state show", Kw::StateShow, V::None, 2},
    {"state restore", Kw::StateShow, V::None, 2},
    {"state normal", Kw::StateShow, V::None, 2},
    {"state show normal", Kw::StateShow, V::None, 2},
    {"state show na", Kw::StateShow, V::None, 2},
    {"state show noactivate", Kw::StateShow, V::None, 2},
    {"state no activate", Kw::StateShow, V::None, 2},
    {"state minimize", Kw::StateMinimized, V::None, 2},
    {"state minimized", Kw::StateMinimized, V::None, 2},
    {"state iconic", Kw::StateMinimized, V::None, 2},
    {"state show minimized", Kw::StateMinimized, V::None, 2},
    {"state show min noactive", Kw::StateMinimized, V::None, 2},
    {"state maximize", Kw::StateMaximized, V::None, 2},
    {"state maximized", Kw::StateMaximized, V::None, 2},
    {"state show maximized", Kw::StateMaximized, V::None, 2},
    {"state no action", Kw::StateNoAction, V::None, 2},
    {"text", Kw::Text, V::Word},
    {"handle", Kw::Handle, V::Integer, 3},
    {"handle default", Kw::HandleDefault, V::None, 3},
};
constexpr KeywordSpec kStepKeywords[] = {
    {"by", Kw::By, V::Integer},
    {"reverse", Kw::Reverse, V::None},
};
constexpr KeywordSpec kCueKeywords[] = {
    {"input", Kw::Input, V::None, 1},
    {"output", Kw::Output, V::None, 1},
    {"to", Kw::To, V::Integer, 0, kVideo},
};
constexpr KeywordSpec kBreakKeywords[] = {
    {"on", Kw::On, V::Integer, 1},
    {"off", Kw::Off, V::None, 1},
};
constexpr KeywordSpec kSetAudioKeywords[] = {
    {"volume to", Kw::VolumeTo, V::Integer},
    {"on", Kw::On, V::None, 1},
    {"off", Kw::Off, V::None, 1},
    {"stream to", Kw::StreamTo, V::Integer},
};
constexpr KeywordSpec kSetVideoKeywords[] = {
    {"stream to", Kw::StreamTo, V::Integer},
};

constexpr KeywordSpec kCapabilityItems[] = {
    {"can eject", Kw::CanEject, V::None, 1, kEveryType, 7},
    {"can play", Kw::CanPlay, V::None, 1, kEveryType, 8},
    {"can record", Kw::CanRecord, V::None, 1, kEveryType, 1},
    {"can save", Kw::CanSave, V::None, 1, kEveryType, 9},
    {"compound device", Kw::CompoundDevice, V::None, 1, kEveryType, 6},
    {"device type", Kw::DeviceTypeItem, V::None, 1, kEveryType, 4},
    {"has audio", Kw::HasAudio, V::None, 1, kEveryType, 2},
    {"has video", Kw::HasVideo, V::None, 1, kEveryType, 3},
    {"uses files", Kw::UsesFiles, V::None, 1, kEveryType, 5},
    {"can freeze", Kw::CanFreeze, V::None, 1, kVideo},
    {"can lock", Kw::CanLock, V::None, 1, kVideo},
    {"can reverse", Kw::CanReverse, V::None, 1, kVideo},
    {"can stretch", Kw::CanStretch, V::None, 1, kVideo},
    {"can stretch input", Kw::CanStretchInput, V::None, 1, kVideo},
    {"can test", Kw::CanTest, V::None, 1, kVideo},
    {"has still", Kw::HasStill, V::None, 1, kVideo},
    {"maximum play rate", Kw::MaximumPlayRate, V::None, 1, kVideo},
    {"minimum play rate", Kw::MinimumPlayRate, V::None, 1, kVideo},
    {"uses palettes", Kw::UsesPalettes, V::None, 1, kVideo},
    {"windows", Kw::Windows, V::None, 1, kVideo},
    {"inputs", Kw::Inputs, V::None, 1, kWave, 0x4001},
    {"outputs", Kw::Outputs, V::None, 1, kWave, 0x4002},
};
constexpr KeywordSpec kInfoItems[] = {
    {"product", Kw::Product, V::None, 1},
    {"file", Kw::File, V::None, 1},
    {"version", Kw::Version, V::None, 1, kVideo},
    {"window text", Kw::WindowText, V::None, 1, kVideo},
};
constexpr KeywordSpec kSysinfoItems[] = {
    {"quantity", Kw::Quantity, V::None, 1},
    {"name", Kw::Name, V::Integer, 1},
    {"installname", Kw::InstallName, V::None, 1},
    {"open", Kw::Open, V::None},
};

constexpr KeywordSpec kRecordKeywords[] = {
    {"from", Kw::From, V::Integer},
    {"to", Kw::To, V::Integer},
    {"insert", Kw::Insert, V::None, 1},
    {"overwrite", Kw::Overwrite, V::None, 1},
};
constexpr KeywordSpec kSaveKeywords[] = {
    {"", Kw::FileName, V::Word},
};
constexpr KeywordSpec kDeleteKeywords[] = {
    {"from", Kw::From, V::Integer},
    {"to", Kw::To, V::Integer},
};

// Each command's keywords, and what it demands of its arguments and device name.
constexpr std::array kCommands{
    CommandSpec{
        .verb = "open", .keywords = kOpenKeywords, .opensDevice = true, .handler = handlers::Open},
    CommandSpec{.verb = "close",
                .acceptsAll = true,
                .autoOpens = false,
                .interrupts = true,
                .handler = handlers::Close},
    CommandSpec{.verb = "play",
                .keywords = kPlayKeywords,
                .acceptsAll = true,
                .eachDevice = true,
                .interrupts = true,
                .toldAtEnd = true,
                .kinds = kFileDevice,
                .handler = handlers::Play},
    // A stopped device has nothing to pause or resume.
    CommandSpec{.verb = "pause",
                .acceptsAll = true,
                .eachDevice = true,
                .modes = kPlaying | kPaused | kRecording,
                .handler = handlers::Pause},
    CommandSpec{.verb = "resume",
                .acceptsAll = true,
                .eachDevice = true,
                .modes = kPlaying | kPaused | kRecording,
                .handler = handlers::Resume},
    CommandSpec{.verb = "stop",
                .acceptsAll = true,
                .eachDevice = true,
                .interrupts = true,
                .handler = handlers::Stop},
    CommandSpec{.verb = "seek",
                .keywords = kSeekKeywords,
                .needsParameter = true,
                .acceptsAll = true,
                .eachDevice = true,
                .interrupts = true,
                .kinds = kWithMedia,
                .handler = handlers::Seek},
    CommandSpec{.verb = "set",
                .keywords = kSetKeywords,
                .needsParameter = true,
                .acceptsAll = true,
                .eachDevice = true,
                .handler = handlers::Set},
    CommandSpec{.verb = "status",
                .keywords = kStatusItems,
                .itemList = true,
                .needsParameter = true,
                .handler = handlers::Status},
    CommandSpec{.verb = "where",
                .keywords = kWhereItems,
                .itemList = true,
                .needsParameter = true,
                .types = kVideo,
                .handler = handlers::Where},
    CommandSpec{.verb = "put",
                .keywords = kPutKeywords,
                .needsParameter = true,
                .acceptsAll = true,
                .eachDevice = true,
                .types = kVideo,
                .handler = handlers::Put},
    CommandSpec{.verb = "setaudio",
                .keywords = kSetAudioKeywords,
                .needsParameter = true,
                .acceptsAll = true,
                .eachDevice = true,
                .types = kVideo,
                .handler = handlers::SetAudio},
    CommandSpec{.verb = "setvideo",
                .keywords = kSetVideoKeywords,
                .needsParameter = true,
                .acceptsAll = true,
                .eachDevice = true,
                .types = kVideo,
                .handler = handlers::SetVideo},
    CommandSpec{.verb = "window",
                .keywords = kWindowKeywords,
                .needsParameter = true,
                .acceptsAll = true,
                .eachDevice = true,
                .types = kVideo,
                .handler = handlers::Window},
    CommandSpec{.verb = "step",
                .keywords = kStepKeywords,
                .acceptsAll = true,
                .eachDevice = true,
                .interrupts = true,
                .types = kVideo,
                .kinds = kWithMedia,
                .handler = handlers::Step},
    CommandSpec{.verb = "cue",
                .keywords = kCueKeywords,
                .acceptsAll = true,
                .eachDevice = true,
                .interrupts = true,
                .types = kVideo | kWave,
                .kinds = kWithMedia,
                // Not while it plays, records or stands paused (cued already).
                .modes = kStopped,
                .handler = handlers::Cue},
    CommandSpec{.verb = "break",
                .keywords = kBreakKeywords,
                .needsParameter = true,
                .acceptsAll = true,
                .eachDevice = true,
                .handler = handlers::Break},
    CommandSpec{.verb = "record",
                .keywords = kRecordKeywords,
                .interrupts = true,
                .toldAtEnd = true,
                .types = kWave,
                .kinds = kNewDevice,
                .handler = handlers::Record},
    CommandSpec{.verb = "save",
                .keywords = kSaveKeywords,
                .needsParameter = true,
                .types = kWave,
                .kinds = kNewDevice,
                .handler = handlers::Save},
    CommandSpec{.verb = "delete",
                .keywords = kDeleteKeywords,
                .interrupts = true,
                .types = kWave,
                .kinds = kNewDevice,
                .handler = handlers::Delete},
    CommandSpec{.verb = "capability",
                .keywords = kCapabilityItems,
                .itemList = true,
                .needsParameter = true,
                .handler = handlers::Capability},
    CommandSpec{.verb = "info",
                .keywords = kInfoItems,
                .itemList = true,
                .needsParameter = true,
                .handler = handlers::Info},
    // The device name is the name of one of the system's sounds.
    CommandSpec{.verb = "sound",
                .autoOpens = false,
                .namesType = true,
                .interrupts = true,
                .toldAtEnd = true,
                .handler = handlers::Sound},
    CommandSpec{.verb = "sysinfo",
                .keywords = kSysinfoItems,
                .itemList = true,
                .needsParameter = true,
                .acceptsAll = true,
                .autoOpens = false,
                .namesType = true,
                .handler = handlers::Sysinfo},
};

}  // namespace

const CommandSpec* FindCommand(std::string_view verb) {
    // Verbs match in any case: the player sends "Close" and "Play" as well as "play".
    for (const CommandSpec& entry : kCommands) {
        if (EqualsNoCase(entry.verb, verb)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace kelto::mciservice
