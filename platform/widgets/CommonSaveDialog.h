#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/widgets/FileSaveDialog.h"

namespace kelto::platform {

// The desktop's file-save dialog for one kind of file: `filter` in Qt's
// "Description (*.ext)" form, `suffix` put on a name typed without one. It
// opens where the last file was saved, with the last name.
class CommonSaveDialog : public FileSaveDialog {
public:
    CommonSaveDialog(QWidget* parent, QString caption, QString filter, QString suffix,
                     const QString& firstName);

    bool ShowSave() override;
    QString FileName() const override { return fileName_; }

private:
    QPointer<QWidget> parent_;
    QString caption_;
    QString filter_;
    QString suffix_;
    QString fileName_;
};

}  // namespace kelto::platform
