#include "ui/WindowFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>

namespace kelto::ui {

void RegisterWindowFonts() {
    static const bool registered = [] {
        const char* const files[] = {
            "/usr/share/wine/fonts/tahoma.ttf",
            "/usr/share/wine/fonts/tahomabd.ttf",
            "/usr/share/wine/fonts/ms_sans_serif.ttf",
        };
        for (const char* path : files) {
            if (QFile::exists(QString::fromLatin1(path))) {
                QFontDatabase::addApplicationFont(QString::fromLatin1(path));
            }
        }
        // Where the faces are missing, prefer a sans face of similar width to
        // whatever fontconfig would pick.
        QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans"),
                                                              QStringLiteral("Liberation Sans")});
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(
            QStringLiteral("Courier New"),
            {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
        return true;
    }();
    (void)registered;
}

int PointsToPixels(double points) {
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

namespace {

// A bitmap face comes in a few sizes drawn for a scale of 1. On a denser
// screen the toolkit would draw it at one of those sizes, small beside every
// other caption, so a scalable face of the same width class stands in.
QString FaceForScreen(const QString& family) {
    const bool scaled = qGuiApp != nullptr && !qFuzzyCompare(qGuiApp->devicePixelRatio(), 1.0);
    if (!scaled || QFontDatabase::isSmoothlyScalable(family)) return family;
    return QStringLiteral("Tahoma");
}

}  // namespace

QFont PixelFont(const QString& family, double points, bool bold) {
    QFont font(FaceForScreen(family));
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    return font;
}

}  // namespace kelto::ui
