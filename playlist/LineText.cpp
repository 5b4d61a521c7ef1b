#include "playlist/LineText.h"

#include <QByteArrayView>
#include <array>

namespace kelto::playlist {

namespace {

// Bytes 0x80 to 0x9F of the Western code page; every other byte is the
// character of the same number. The five the page leaves unassigned map to
// the control character of their number, as the system's own conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString FromWesternCodePage(std::string_view line) {
    QString text(static_cast<qsizetype>(line.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte});
    }
    return text;
}

}  // namespace

QString ShownText(std::string_view line) {
    const QByteArrayView bytes(line.data(), static_cast<qsizetype>(line.size()));
    if (bytes.isValidUtf8()) return QString::fromUtf8(bytes);
    return FromWesternCodePage(line);
}

}  // namespace kelto::playlist
