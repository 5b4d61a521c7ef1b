#include "platform/widgets/CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "platform/widgets/FileFilter.h"

namespace kelto::platform {

bool CommonDialog::ShowOpen() {
    QFileDialog dialog(parent_.data());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(filter_);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.front());
    }
    if (!lastFolder_.isEmpty()) dialog.setDirectory(lastFolder_);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    const QFileInfo info(chosen.front());
    fileName_ = info.absoluteFilePath();
    fileTitle_ = info.fileName();
    lastFolder_ = info.absolutePath();
    return true;
}

}  // namespace kelto::platform
