#pragma once

#include <QObject>
#include <QStringList>

class QMimeData;
class QWidget;

namespace kelto::ui {

// Takes files dropped anywhere on a window: on the window itself and on every
// child that does not take drops of its own (the playlist, the video area).
// Only local files and folders count; a drop that carries none (text, remote
// addresses) is refused, so the pointer shows that nothing would happen.
//
//   auto* drop = new FileDrop(&form);   // owned by the window
//   connect(drop, &FileDrop::filesDropped, ..., [](const QStringList& paths) { ... });
class FileDrop : public QObject {
    Q_OBJECT
public:
    explicit FileDrop(QWidget* window);

    // The local paths `data` carries, in the order given.
    static QStringList LocalPaths(const QMimeData* data);

signals:
    void filesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kelto::ui
