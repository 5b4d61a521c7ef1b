#pragma once

#include <QString>

namespace kelto::playlist {

// Natural name order, as people number their files ("clip 9" before "clip 10"):
// runs of digits compare by their value, everything else letter by letter
// without regard to case. The system's collation is not used, for in the C
// locale it has no numeric mode. Ties fall back to the plain text, so the
// order is total.
bool NaturallyBefore(const QString& a, const QString& b);

}  // namespace kelto::playlist
