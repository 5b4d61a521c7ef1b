#include "platform/widgets/FileFilter.h"

namespace kelto::platform {

QStringList QtNameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (filter.isEmpty()) return result;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1] : QString();
        QStringList list;
        for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = p.trimmed();
            if (!trimmed.isEmpty()) list << trimmed;
        }
        if (list.isEmpty()) list << QStringLiteral("*");
        const QString joined = list.join(QLatin1Char(' '));
        const QString suffix = QLatin1Char('(') + joined + QLatin1Char(')');
        if (description.endsWith(suffix)) {
            result << description;
        } else if (description.isEmpty()) {
            result << suffix;
        } else {
            result << description + QLatin1Char(' ') + suffix;
        }
    }
    return result;
}

}  // namespace kelto::platform
