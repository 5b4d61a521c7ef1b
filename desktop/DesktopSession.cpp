#include "desktop/DesktopSession.h"

#include "platform/widgets/ListBox.h"
#include "platform/widgets/asxToolbar.h"
#include "platform/widgets/cpvSlider.h"

namespace kelto::desktop {

DesktopSession::DesktopSession(PlayerParts parts, const QDBusConnection& bus)
    : watch_(parts),
      commands_(parts, watch_),
      mpris_(bus, commands_, watch_),
      inhibitor_(bus, watch_) {
    ui::Form1& form = parts.form;
    QObject* const context = &wiring_;
    // Queued: the look is taken once the window's own handler has run.
    auto look = [this] { watch_.Refresh(); };
    QObject::connect(form.asxToolbar1, &platform::asxToolbar::ButtonClick, context, look,
                     Qt::QueuedConnection);
    QObject::connect(form.List1, &platform::ListBox::currentRowChanged, context, look,
                     Qt::QueuedConnection);
    QObject::connect(form.Check, &QCheckBox::toggled, context, look, Qt::QueuedConnection);
    QObject::connect(&form, &ui::Form1::txtfullKeyDown, context, look, Qt::QueuedConnection);
    QObject::connect(
        form.cpvSlider1, &platform::cpvSlider::Change, context, [this] { mpris_.AnnounceSeek(); },
        Qt::QueuedConnection);
    QObject::connect(&form, &ui::Form1::queryUnload, context, [this] {
        inhibitor_.Release();
        watch_.Refresh();
    });
}

DesktopSession::~DesktopSession() = default;

}  // namespace kelto::desktop
