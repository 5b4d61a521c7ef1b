#pragma once

#include <QString>
#include <QStringList>

namespace kelto::platform {

// Turns a filter written as "description|pattern;pattern|description|..." into
// Qt's name filters ("description (pattern pattern)"), one per pair, in order.
// A description that already ends with its own pattern list in parentheses is
// kept as it is; a description left without patterns matches every file.
QStringList QtNameFilters(const QString& filter);

}  // namespace kelto::platform
