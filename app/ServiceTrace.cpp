#include "app/ServiceTrace.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "mciservice/TraceSink.h"

namespace kelto::app {

namespace {

// Debug messages, off until a rule turns them on.
Q_LOGGING_CATEGORY(lcMarks, "kelto.trace.marks", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCommands, "kelto.trace.commands", QtInfoMsg)

using Kind = mciservice::TraceSink::Kind;

const QLoggingCategory& CategoryOf(Kind kind) {
    return kind == Kind::Mark ? lcMarks() : lcCommands();
}

class CategorySink final : public mciservice::TraceSink {
public:
    bool Wants(Kind kind) const override { return CategoryOf(kind).isDebugEnabled(); }

    void Write(Kind kind, std::string_view line) override {
        qCDebug(CategoryOf(kind)).noquote()
            << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
};

QtMessageHandler gPrevious = nullptr;

bool IsTrace(const char* category) {
    return category != nullptr && (std::strcmp(category, lcMarks().categoryName()) == 0 ||
                                   std::strcmp(category, lcCommands().categoryName()) == 0);
}

void WriteTraceBare(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!IsTrace(context.category)) {
        gPrevious(type, context, message);
        return;
    }
    // One write for the whole line, so that lines from two threads never mix.
    const QByteArray line = message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
}

}  // namespace

void InstallServiceTrace() {
    // Lives to the end of the process, as long as any pipeline might call it.
    static CategorySink sink;
    gPrevious = qInstallMessageHandler(WriteTraceBare);
    mciservice::SetTraceSink(&sink);
}

}  // namespace kelto::app
