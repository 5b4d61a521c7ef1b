#include "platform/widgets/CommonSaveDialog.h"

#include <QDir>
#include <QFileDialog>
#include <utility>

namespace kelto::platform {

CommonSaveDialog::CommonSaveDialog(QWidget* parent, QString caption, QString filter, QString suffix,
                                   const QString& firstName)
    : parent_(parent),
      caption_(std::move(caption)),
      filter_(std::move(filter)),
      suffix_(std::move(suffix)),
      fileName_(QDir::current().absoluteFilePath(firstName)) {}

bool CommonSaveDialog::ShowSave() {
    QFileDialog dialog(parent_.data(), caption_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter_);
    dialog.setDefaultSuffix(suffix_);
    dialog.selectFile(fileName_);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    fileName_ = chosen.front();
    return true;
}

}  // namespace kelto::platform
