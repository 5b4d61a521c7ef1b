#pragma once

#include <QObject>
#include <QStringList>

class QMimeData;
class QWidget;

namespace kelto::ui {

// Takes files dropped on the controls it watches (the playlist, the video
// area). Only local files and folders and web (http, https) addresses count;
// a drop that carries none (text, other addresses) is refused, so the pointer
// shows that nothing would happen. Only the watched controls become drop sites, not the whole
// window with every control on it.
//
//   auto* drop = new FileDrop(&form);   // owned by the window
//   drop->Watch(form.List1->viewport());
//   connect(drop, &FileDrop::filesDropped, ..., [](const QStringList& paths) { ... });
class FileDrop : public QObject {
    Q_OBJECT
public:
    explicit FileDrop(QObject* owner);

    // Takes drops on `target` from now on.
    void Watch(QWidget* target);

    // The local paths and web addresses `data` carries, in the order given.
    static QStringList LocalPaths(const QMimeData* data);

signals:
    void filesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kelto::ui
