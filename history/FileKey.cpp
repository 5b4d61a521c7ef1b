#include "history/FileKey.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <cstdlib>
#include <memory>

namespace kelto::history {

QString FileKey(const QByteArray& pathBytes) {
    if (pathBytes.isEmpty()) return {};
    // The path as bytes: a name that is not UTF-8 is still one file.
    const std::unique_ptr<char, decltype(&std::free)> full(
        ::realpath(pathBytes.constData(), nullptr), &std::free);
    if (!full) return {};
    struct stat info {};
    if (::stat(full.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(full.get()));
    hash.addData(QByteArrayLiteral("\0"));
    hash.addData(QByteArray::number(static_cast<qint64>(info.st_size)));
    hash.addData(QByteArrayLiteral("\0"));
    hash.addData(QByteArray::number(static_cast<qint64>(info.st_mtim.tv_sec)));
    hash.addData(QByteArrayLiteral("."));
    hash.addData(QByteArray::number(static_cast<qint64>(info.st_mtim.tv_nsec)));
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace kelto::history
