#include "playlist/WebAddress.h"

#include <QUrl>

namespace kelto::playlist {

bool IsWebAddress(const QString& text) {
    return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString TitleOfWebAddress(const QString& address) {
    QString name = QUrl(address).fileName(QUrl::FullyDecoded);
    // A decoded name may hold what a line cannot.
    if (name.isEmpty() || name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return address;
    return name;
}

}  // namespace kelto::playlist
