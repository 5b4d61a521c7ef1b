#pragma once

#include <QString>
#include <cstddef>
#include <map>

namespace kelto::platform {

// The keyed integers a control saves with its host window. Keys match without
// regard to case and are kept in lower case; an entry equal to its default is
// not kept, so a control saved with default settings leaves no entries.
class PropertyBag {
public:
    int ReadProperty(const QString& key, int defaultValue) const;
    void WriteProperty(const QString& key, int value, int defaultValue);
    bool contains(const QString& key) const;
    std::size_t size() const { return entries_.size(); }
    const std::map<QString, int>& entries() const { return entries_; }

private:
    std::map<QString, int> entries_;
};

}  // namespace kelto::platform
