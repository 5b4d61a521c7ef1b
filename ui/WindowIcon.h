#pragma once

#include <QIcon>
#include <QPixmap>

namespace kelto::ui {

// The window's icon: a loudspeaker cabinet, 32 x 32, drawn here.
QPixmap LoudspeakerPicture();
QIcon LoudspeakerIcon();

}  // namespace kelto::ui
