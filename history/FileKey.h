#pragma once

#include <QByteArray>
#include <QString>

namespace kelto::history {

// The name a file is kept under: a digest of its full path, its size and its
// modification time, so that the history does not list in clear what was
// played and a file replaced under the same name starts afresh. Empty for
// what is not a local file that can be looked at (a web address, a file gone).
QString FileKey(const QByteArray& pathBytes);

}  // namespace kelto::history
