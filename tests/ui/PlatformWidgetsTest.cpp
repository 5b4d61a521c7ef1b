#include <gtest/gtest.h>

#include <QRegularExpression>

#include "platform/widgets/FileFilter.h"
#include "platform/widgets/PropertyBag.h"
#include "ui/Form1.h"

namespace kelto::platform {
namespace {

TEST(FileFilter, TheDialogFilterStringBecomesThirteenQtFiltersInOrder) {
    QStringList filters = QtNameFilters(ui::Form1::DialogFilter());
    ASSERT_EQ(filters.size(), 13) << filters.join('\n').toStdString();
    EXPECT_EQ(filters.takeAt(10), "Playlists (*.m3u *.m3u8 *.pls *.xspf)");
    // Every kind the classic entries name is among all media files, and the
    // kinds the player plays today beyond them.
    const QString allMedia = filters[10];
    EXPECT_TRUE(allMedia.startsWith("All media files (*.mp3 *.mp2 *.wav *.midi *.mid *.mpg *.mpge"))
        << allMedia.toStdString();
    for (const char* pattern :
         {"*.avi", "*.vob", "*.mp4", "*.m4a", "*.mkv", "*.webm", "*.ogg", "*.opus", "*.flac"}) {
        EXPECT_TRUE(allMedia.split(QRegularExpression("[ ()]")).contains(pattern)) << pattern;
    }
    EXPECT_EQ(filters[11], "All files (*)");
    filters.resize(10);
    const QStringList expected = {
        "All audio (*.mp3 *.mp2 *.wav *.midi *.mid)",
        "All video (*.mpg *.mpge *.avi *.vob)",
        "mp3 (*.mp3)",
        "wav (*.wav)",
        "avi(*.avi)",
        "mpg(*.mpg)",
        "mpge(*.mpge)",
        "mid(*.mid)",
        "midi(*.midi)",
        "DVD(*.vob)",
    };
    EXPECT_EQ(filters, expected);
}

TEST(FileFilter, OddShapesStillGiveUsableFilters) {
    struct Case {
        const char* in;
        QStringList out;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"Text|*.txt", {"Text (*.txt)"}},
        {"Everything", {"Everything (*)"}},
        {"Music|*.mp3;;*.wav|Rest|", {"Music (*.mp3 *.wav)", "Rest (*)"}},
        // A description naming other patterns than its list gets the list appended.
        {"mp3 (*.mp3)|*.mp2", {"mp3 (*.mp3) (*.mp2)"}},
        {"|*.a", {"(*.a)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(QtNameFilters(QString::fromLatin1(c.in)), c.out);
    }
}

TEST(PropertyBag, KeysIgnoreCaseAndDefaultsAreNotKept) {
    PropertyBag bag;
    bag.WriteProperty("Border", 0, 1);
    bag.WriteProperty("Value", 0, 0);
    EXPECT_TRUE(bag.contains("border"));
    EXPECT_TRUE(bag.contains("BORDER"));
    EXPECT_FALSE(bag.contains("value"));
    EXPECT_EQ(bag.entries().begin()->first, QStringLiteral("border"));
    EXPECT_EQ(bag.ReadProperty("bOrDeR", 1), 0);
    EXPECT_EQ(bag.ReadProperty("value", 42), 42);
    bag.WriteProperty("BORDER", 1, 1);
    EXPECT_EQ(bag.size(), 0u);
}

}  // namespace
}  // namespace kelto::platform
