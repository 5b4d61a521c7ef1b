#include "mciservice/DeviceTable.h"

#include <algorithm>

namespace kelto::mciservice {

MediaDevice* DeviceTable::Find(std::string_view alias) const {
    for (const Entry& entry : entries_) {
        if (EqualsNoCase(entry.alias, alias)) {
            return entry.device.get();
        }
    }
    return nullptr;
}

unsigned DeviceTable::Add(std::string alias, std::unique_ptr<MediaDevice> device) {
    unsigned number = 1;
    while (std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& entry) { return entry.number == number; })) {
        ++number;
    }
    entries_.push_back(Entry{std::move(alias), number, std::move(device)});
    return number;
}

std::vector<DeviceTable::Open> DeviceTable::List() const {
    std::vector<Open> list;
    list.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        list.push_back(Open{entry.alias, entry.device.get()});
    }
    return list;
}

bool DeviceTable::Remove(std::string_view alias) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return EqualsNoCase(entry.alias, alias);
    });
    if (it == entries_.end()) {
        return false;
    }
    entries_.erase(it);
    return true;
}

void DeviceTable::CloseWhenStopped(std::string_view alias) {
    for (Entry& entry : entries_) {
        if (EqualsNoCase(entry.alias, alias)) {
            entry.closeWhenStopped = true;
        }
    }
}

void DeviceTable::CloseStopped() {
    if (sound_ && !sound_->NotifyPending()) {
        sound_->Poll();
        if (sound_->IsStopped()) {
            sound_.reset();
        }
    }
    std::erase_if(entries_, [](Entry& entry) {
        if (!entry.closeWhenStopped) {
            return false;
        }
        entry.device->Poll();
        return entry.device->IsStopped();
    });
}

void DeviceTable::Clear() {
    // Newest first, as their windows may sit one inside another.
    while (!entries_.empty()) {
        entries_.pop_back();
    }
}

}  // namespace kelto::mciservice
