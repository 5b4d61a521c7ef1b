#include "history/PlaybackMemory.h"

#include <cmath>
#include <optional>
#include <utility>

#include "mci/CheckedArithmetic.h"
#include "platform/widgets/ListBox.h"
#include "player/ResultLabel.h"

namespace kelto::history {

QString PlaybackMemory::PositionText(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = seconds / 60 % 60;
    const QString rest = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours > 0) {
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest);
    }
    return QStringLiteral("%1:%2").arg(minutes).arg(rest);
}

bool PlaybackMemory::WorthOffering(std::int64_t positionMs, std::int64_t lengthMs) {
    return lengthMs > 0 && positionMs > kWorthMs &&
           static_cast<double>(positionMs) < kSeenShare * static_cast<double>(lengthMs);
}

PlaybackMemory::PlaybackMemory(ui::Form1& form, mci::ModuleMultimedia& mm, History& history)
    : form_(form), mm_(mm), history_(history) {
    offerTimer_.setSingleShot(true);
    offerTimer_.setInterval(kOfferMs);
    QObject::connect(&offerTimer_, &QTimer::timeout, &answers_, [this] { EndOffer(false); });
    show_ = [this](const QString& text) {
        form_.setStripNotice(text);
        form_.Announce(text);
    };
    hide_ = [this] {
        // The strip names the selection again at once rather than finishing a
        // pass of an offer that is gone.
        form_.Announce(form_.List1->text(form_.List1->currentRow()));
    };
}

PlaybackMemory::~PlaybackMemory() = default;

void PlaybackMemory::setOfferDisplay(std::function<void(const QString&)> show,
                                     std::function<void()> hide) {
    show_ = std::move(show);
    hide_ = std::move(hide);
}

void PlaybackMemory::Remember() {
    if (open_.isEmpty()) return;
    const std::string& alias = form_.state.deviceAlias;
    const std::int32_t position = mm_.GetPositionMs(alias);
    const std::int32_t length = mm_.GetLengthMs(alias);
    // The device no longer answers: what was kept before stays.
    if (position < 0 || length <= 0) return;
    if (WorthOffering(position, length)) {
        history_.LeftAt(open_, position, length);
    } else {
        history_.ForgetPosition(open_);
    }
}

void PlaybackMemory::Leaving() {
    EndOffer(true);
    Remember();
    open_.clear();
    ++generation_;
}

void PlaybackMemory::Stopping() {
    EndOffer(true);
    Remember();
}

void PlaybackMemory::Chose() { EndOffer(true); }

void PlaybackMemory::Started() {
    if (started_) started_();
    EndOffer(true);
    platform::ListBox* paths = form_.List2;
    open_ = paths->bytes(paths->currentRow());
    const int generation = ++generation_;
    history_.Recall(open_, &answers_, [this, generation](const FileMemory& memory) {
        if (generation != generation_) return;
        if (recalled_) recalled_(memory);
        if (memory.positionMs && memory.lengthMs &&
            WorthOffering(*memory.positionMs, *memory.lengthMs)) {
            Offer(*memory.positionMs);
        }
    });
}

void PlaybackMemory::Offer(std::int64_t positionMs) {
    offerMs_ = positionMs;
    offerText_ = QStringLiteral("Continue from %1? Press R").arg(PositionText(positionMs));
    offerTimer_.start();
    show_(offerText_);
}

void PlaybackMemory::EndOffer(bool early) {
    if (!offerMs_) return;
    offerMs_.reset();
    offerTimer_.stop();
    if (form_.stripNotice() == offerText_) form_.setStripNotice({});
    offerText_.clear();
    if (early && hide_) hide_();
}

bool PlaybackMemory::Continue() {
    if (!offerMs_) return false;
    const std::int64_t target = *offerMs_;
    EndOffer(true);
    const std::string& alias = form_.state.deviceAlias;
    // The device counts in frames (milliseconds for sound): the target is put
    // into its format from its own two lengths.
    const std::int32_t lengthMs = mm_.GetLengthMs(alias);
    const std::int32_t lengthFrames = mm_.GetLengthFrames(alias);
    if (lengthMs <= 0 || lengthFrames <= 0) return true;
    const std::optional<std::int32_t> frames = mci::RoundToInt32(
        static_cast<double>(target) * lengthFrames / static_cast<double>(lengthMs));
    if (!frames) return true;
    ui::PlayerState& s = form_.state;
    s.lastResult = mm_.SeekAndPlay(alias, *frames);
    player::ShowLastResult(form_);
    return true;
}

}  // namespace kelto::history
