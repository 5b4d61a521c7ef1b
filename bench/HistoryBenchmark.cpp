// What keeping the history costs the window's thread: handing a position to
// the history's worker while another player holds the file's write lock (the
// worker waits; the window must not), and a whole write and read back, done.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <filesystem>

#include "history/History.h"
#include "tests/support/files/TempFolder.h"

namespace {

using kelto::history::FileMemory;
using kelto::history::History;

QString StateOf(const kelto::testing::TempFolder& temp) {
    return QString::fromStdString((temp / "state").string());
}

QByteArray AFile(const kelto::testing::TempFolder& temp) {
    kelto::testing::WriteBytes(temp / "film.mkv", "film");
    return QByteArray::fromStdString((temp / "film.mkv").string());
}

void BM_PositionHandedOverWhileAnotherPlayerWrites(benchmark::State& state) {
    kelto::testing::TempFolder temp;
    const QByteArray path = AFile(temp);
    History history(StateOf(temp));
    if (!history.Drain(10000)) state.SkipWithError("the history did not open");
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
        holder.setDatabaseName(StateOf(temp) + "/history.sqlite");
        holder.open();
        QSqlQuery hold(holder);
        hold.exec(QStringLiteral("BEGIN IMMEDIATE"));
        std::int64_t position = 31'000;
        for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
            history.LeftAt(path, ++position, 7'200'000);
        }
        hold.exec(QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase("holder");
    history.Drain(60000);
}
BENCHMARK(BM_PositionHandedOverWhileAnotherPlayerWrites)
    ->Iterations(50)
    ->Unit(benchmark::kMicrosecond);

void BM_PositionWrittenAndRecalled(benchmark::State& state) {
    kelto::testing::TempFolder temp;
    const QByteArray path = AFile(temp);
    History history(StateOf(temp));
    QObject context;
    std::int64_t position = 31'000;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        history.LeftAt(path, ++position, 7'200'000);
        bool answered = false;
        history.Recall(path, &context, [&](const FileMemory&) { answered = true; });
        while (!answered) {
            history.Drain(10000);
            QCoreApplication::processEvents();
        }
    }
}
BENCHMARK(BM_PositionWrittenAndRecalled)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
