#pragma once

#include <QString>
#include <string_view>

namespace kelto::playlist {

// The text a playlist line shows. Lines in UTF-8 read as such; any other line
// was written by an older tool or on the other system, in its Western code
// page, and is decoded as that page shows it ("caf\xE9" shows as "café"), so
// every byte shows as some character and none is replaced.
QString ShownText(std::string_view line);

}  // namespace kelto::playlist
