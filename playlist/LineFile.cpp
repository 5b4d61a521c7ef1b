#include "playlist/LineFile.h"

#include <QFile>
#include <QFileInfo>
#include <utility>

#include "playlist/LineSplitter.h"

namespace kelto::playlist {

namespace {

// CR LF on Linux too: saved playlists use it, and files written here match them byte for byte.
constexpr std::string_view kLineEnd = "\r\n";
constexpr qint64 kReadBlockSize = 1 << 16;

QString NameOf(const std::filesystem::path& file) { return QFile::decodeName(file.c_str()); }

bool Fail(std::string* error, const char* what, const std::filesystem::path& file,
          const QFileDevice& device) {
    if (error != nullptr) *error = what + file.string() + ": " + device.errorString().toStdString();
    return false;
}

}  // namespace

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

bool ForEachLine(const std::filesystem::path& file,
                 const std::function<void(std::string_view line)>& line) {
    // Only a regular file is opened: a pipe of that name would wait for a writer.
    if (!QFileInfo(NameOf(file)).isFile()) return false;
    QFile in(NameOf(file));
    if (!in.open(QIODevice::ReadOnly)) return false;

    // Block by block into the splitter: holding a long playlist's text whole
    // would cost as much memory again as its lines.
    LineSplitter splitter(line);
    QByteArray block(kReadBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(block.data(), kReadBlockSize);
        if (got < 0) return false;
        if (got == 0) break;
        splitter.Feed(std::string_view(block.constData(), static_cast<std::size_t>(got)));
    }
    splitter.Finish();
    return true;
}

ReplacementFile::ReplacementFile(std::filesystem::path file, std::unique_ptr<QSaveFile> save)
    : file_(std::move(file)), save_(std::move(save)) {}

std::optional<ReplacementFile> ReplacementFile::Write(const std::filesystem::path& file,
                                                      const std::vector<std::string>& lines,
                                                      std::string* error) {
    auto save = std::make_unique<QSaveFile>(NameOf(file));
    if (!save->open(QIODevice::WriteOnly)) {
        Fail(error, "cannot create a temporary file next to ", file, *save);
        return std::nullopt;
    }
    // Handed to the system now, not at the commit: a full disk shows here,
    // before any file of the pair has taken its place.
    const std::string text = JoinLines(lines);
    const auto size = static_cast<qint64>(text.size());
    if (save->write(text.data(), size) != size || !save->flush()) {
        Fail(error, "cannot write ", file, *save);
        return std::nullopt;
    }
    return ReplacementFile(file, std::move(save));
}

bool ReplacementFile::Replace(std::string* error) {
    if (save_ == nullptr) return false;
    const bool replaced = save_->commit();
    if (!replaced) Fail(error, "cannot replace ", file_, *save_);
    save_.reset();
    return replaced;
}

}  // namespace kelto::playlist
