#include "platform/widgets/PropertyBag.h"

namespace kelto::platform {

int PropertyBag::ReadProperty(const QString& key, int defaultValue) const {
    const auto found = entries_.find(key.toLower());
    return found == entries_.end() ? defaultValue : found->second;
}

void PropertyBag::WriteProperty(const QString& key, int value, int defaultValue) {
    const QString stored = key.toLower();
    if (value == defaultValue) {
        // An older save may hold a non-default entry; leaving it would bring
        // that value back on the next read.
        entries_.erase(stored);
    } else {
        entries_[stored] = value;
    }
}

bool PropertyBag::contains(const QString& key) const {
    return entries_.find(key.toLower()) != entries_.end();
}

}  // namespace kelto::platform
