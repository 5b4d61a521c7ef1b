#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace kelto::player {

// The picture kept beside a file for its album: cover, folder or front, as
// .jpg, .jpeg or .png, in any letter case, in that order of names. Empty when
// the folder holds none (or `mediaPath` is no local file).
QString CoverBeside(const QString& mediaPath);

// Covers taken out of files, written where the desktop's media controls can
// read them: each under a name made from its content, so the same cover is
// written once however many songs carry it. The folder never holds more than
// kKeep covers; the ones used longest ago go first.
class CoverCache {
public:
    static constexpr int kKeep = 64;

    // `folder` is made when the first cover is stored.
    explicit CoverCache(QString folder = DefaultFolder());

    // The user's cache folder for the player's covers.
    static QString DefaultFolder();

    // The file holding `bytes`; empty when it cannot be written.
    QString Store(const std::vector<std::uint8_t>& bytes);

private:
    void Trim(const QString& keep);

    QString folder_;
};

}  // namespace kelto::player
