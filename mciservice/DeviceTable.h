#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mciservice/MediaDevice.h"

namespace kelto::mciservice {

// The open devices by alias (letter case does not matter) and by the number
// handed back to the opener.
class DeviceTable {
public:
    struct Open {
        std::string_view alias;
        MediaDevice* device;
    };

    MediaDevice* Find(std::string_view alias) const;
    // Returns the device's number: the lowest one not in use, from 1.
    unsigned Add(std::string alias, std::unique_ptr<MediaDevice> device);
    // The open devices in the order they were opened.
    std::vector<Open> List() const;
    bool Remove(std::string_view alias);
    // The device was opened for one command only: it closes as soon as it
    // stands stopped (its play has ended), at the next CloseStopped().
    void CloseWhenStopped(std::string_view alias);
    void CloseStopped();
    void Clear();
    std::size_t Size() const { return entries_.size(); }

    // What "sound" plays: no device of the program's, so it has no alias or
    // number, and "close all" leaves it; gone once it has ended.
    MediaDevice* Sound() const { return sound_.get(); }
    const std::string& SoundName() const { return soundName_; }
    std::unique_ptr<MediaDevice>& SoundSlot(std::string_view name) {
        soundName_ = std::string(name);
        return sound_;
    }

private:
    struct Entry {
        std::string alias;
        unsigned number = 0;
        std::unique_ptr<MediaDevice> device;
        bool closeWhenStopped = false;
    };
    std::vector<Entry> entries_;
    std::string soundName_;
    std::unique_ptr<MediaDevice> sound_;
};

}  // namespace kelto::mciservice
