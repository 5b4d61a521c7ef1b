#include "ui/basScroller.h"

#include "ui/PictureBox.h"
#include "ui/ScrollPass.h"

namespace kelto::ui {

ScrollPass* RunningPass(const PictureBox* surface) {
    if (surface == nullptr) return nullptr;
    for (ScrollPass* pass :
         surface->findChildren<ScrollPass*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (pass->running()) return pass;
    }
    return nullptr;
}

ScrollPass* ScrollText(PictureBox* surface, const QString& text, std::int16_t fontSize,
                       double delay, double amplitude, const QColor& textColour) {
    if (surface == nullptr || RunningPass(surface) != nullptr) return nullptr;
    surface->setScaleMode(PictureBox::ScaleMode::Characters);
    surface->setFontName(QStringLiteral("Courier New"));
    surface->setFontSize(fontSize);
    surface->setFontBold(false);
    surface->setFontItalic(false);
    surface->setFontUnderline(false);
    surface->setForeColor(textColour);
    auto* pass = new ScrollPass(surface, text, delay, amplitude);
    QObject::connect(pass, &ScrollPass::finished, pass, &QObject::deleteLater);
    pass->start();
    return pass;
}

void StopScrolling(PictureBox* surface) {
    if (ScrollPass* pass = RunningPass(surface)) pass->cancel();
}

}  // namespace kelto::ui
