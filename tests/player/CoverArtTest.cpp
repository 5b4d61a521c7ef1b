#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "player/CoverArt.h"
#include "tests/support/files/TempFolder.h"

namespace kelto::player {
namespace {

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

void Touch(const std::filesystem::path& path) {
    QFile file(Text(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// A collection's covers come in every spelling; the cover wins over the
// folder's picture, and a folder without either has none.
TEST(CoverArtTest, ThePictureBesideAFileIsFoundByNameInAnyCase) {
    const testing::TempFolder dir;
    Touch(dir.path() / "song.mp3");
    EXPECT_EQ(CoverBeside(Text(dir.path() / "song.mp3")), QString());
    Touch(dir.path() / "FOLDER.Png");
    Touch(dir.path() / "cover.txt");
    EXPECT_EQ(CoverBeside(Text(dir.path() / "song.mp3")), Text(dir.path() / "FOLDER.Png"));
    Touch(dir.path() / "Cover.JPEG");
    EXPECT_EQ(CoverBeside(Text(dir.path() / "song.mp3")), Text(dir.path() / "Cover.JPEG"));
    EXPECT_EQ(CoverBeside(QStringLiteral("http://radio.invalid/stream")), QString());
}

// Every cover ever played must not pile up in the cache: it holds the last
// kKeep, each once however often it is stored, and one used again stays.
TEST(CoverArtTest, TheCacheKeepsEachCoverOnceAndNoMoreThanItsBound) {
    const testing::TempFolder dir;
    CoverCache cache(Text(dir.path() / "covers"));
    const std::vector<std::uint8_t> first{0xff, 0xd8, 0xff, 0x01};
    const QString kept = cache.Store(first);
    ASSERT_TRUE(kept.endsWith(QStringLiteral(".jpg"))) << kept.toStdString();
    EXPECT_EQ(cache.Store(first), kept);
    for (int i = 0; i < CoverCache::kKeep + 5; ++i) {
        const std::vector<std::uint8_t> other{0x89, 'P', 'N', 'G', static_cast<std::uint8_t>(i)};
        ASSERT_FALSE(cache.Store(other).isEmpty());
        if (i % 8 == 0) {
            EXPECT_EQ(cache.Store(first), kept);
        }
    }
    EXPECT_EQ(QDir(Text(dir.path() / "covers")).entryList(QDir::Files).size(), CoverCache::kKeep);
    EXPECT_TRUE(QFileInfo::exists(kept));
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xff\xd8\xff\x01", 4));
}

}  // namespace
}  // namespace kelto::player
