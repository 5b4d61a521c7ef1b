#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mciservice/CommandParser.h"

namespace kelto::mciservice {

class AudioSinkProbe;
class DeviceTable;
class MediaDevice;
class ShortPathTable;
struct ServiceOptions;

// Everything a command handler may use.
struct CommandContext {
    DeviceTable& devices;
    const ServiceOptions& options;
    AudioSinkProbe* audioSinks;  // null when opens go through a stand-in
    const ShortPathTable& shortPaths;
    const Token& deviceName;
    Arguments args;
    MediaDevice* device;  // the addressed device; null for "open", "sysinfo" and "all"
    bool all;             // the device name was "all"
    std::string& reply;
    std::string opened = {};  // the alias "open" gave its new device
};

using CommandHandler = std::uint32_t (*)(CommandContext&);

// A device opened on a file, or one opened "new" to record into.
using DeviceKinds = std::uint8_t;
inline constexpr DeviceKinds kFileDevice = 1;
inline constexpr DeviceKinds kNewDevice = 2;
// Opened by its type alone ("open sequencer"): nothing to play or record.
inline constexpr DeviceKinds kNoFileDevice = 4;
inline constexpr DeviceKinds kEveryKind = kFileDevice | kNewDevice | kNoFileDevice;
inline constexpr DeviceKinds kWithMedia = kFileDevice | kNewDevice;

// The modes a device can be in, as "status ... mode" names them.
using DeviceModes = std::uint8_t;
inline constexpr DeviceModes kStopped = 1;
inline constexpr DeviceModes kPlaying = 2;
inline constexpr DeviceModes kPaused = 4;
inline constexpr DeviceModes kRecording = 8;
inline constexpr DeviceModes kEveryMode = kStopped | kPlaying | kPaused | kRecording;

struct CommandSpec {
    std::string_view verb;
    std::span<const KeywordSpec> keywords = {};
    // Takes exactly one item of group 1 ("status", "where").
    bool itemList = false;
    // Needs at least one keyword besides "wait" and "notify" (273 otherwise).
    bool needsParameter = false;
    bool acceptsAll = false;
    // With "all", the command goes to every open device that knows it.
    bool eachDevice = false;
    // A file named instead of an open device is opened for the command.
    bool autoOpens = true;
    // The device name is a file to open, not an alias.
    bool opensDevice = false;
    // The device name is no alias: a device type or "all" ("sysinfo"), a
    // sound's name ("sound").
    bool namesType = false;
    // Ends a play in progress: a notification waiting for its end is aborted
    // (superseded when this command asks for one itself).
    bool interrupts = false;
    // With "notify", told when the action it starts ends (a play, a recording).
    bool toldAtEnd = false;
    // Devices of other types do not know the command (261).
    DeviceTypes types = kEveryType;
    // The kinds of device that can do it at all: 274 for the others, 302 for
    // a device with no file, which could once one is loaded.
    DeviceKinds kinds = kEveryKind;
    // The modes it applies in: 302 in the others.
    DeviceModes modes = kEveryMode;
    CommandHandler handler = nullptr;
};

// The command of that verb (any letter case), or null.
const CommandSpec* FindCommand(std::string_view verb);

}  // namespace kelto::mciservice
