#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

#include "history/History.h"
#include "mci/ModuleMultimedia.h"
#include "player/PlaybackListener.h"
#include "ui/Form1.h"

namespace kelto::history {

// Where each file was left, and the offer to go back there. Playing an entry
// still starts it from its beginning; when its file was left well inside,
// the player offers "Continue from 1:12:40? Press R" for a while, and
// Continue (the R key) seeks there through the command layer. Any other
// playback choice, or another file, ends the offer.
//
// Positions are written when a file is left (another entry, the window
// closing) or stopped, never on a tick. A file left in its last part or at
// its end keeps no position, so the next play of it starts clean.
//
//   PlaybackMemory memory(form, mm, history);
//   playback.setListener(&memory);
class PlaybackMemory : public player::PlaybackListener {
public:
    static constexpr int kOfferMs = 10000;
    // Left no further than this, there is nothing worth going back to.
    static constexpr std::int64_t kWorthMs = 30000;
    // Left beyond this share of the length, the file counts as seen.
    static constexpr double kSeenShare = 0.95;

    // "1:12:40" from an hour on, "12:05" and "0:31" below.
    static QString PositionText(std::int64_t ms);
    // True when a file left at `positionMs` of `lengthMs` is worth offering.
    static bool WorthOffering(std::int64_t positionMs, std::int64_t lengthMs);

    PlaybackMemory(ui::Form1& form, mci::ModuleMultimedia& mm, History& history);
    ~PlaybackMemory() override;
    PlaybackMemory(const PlaybackMemory&) = delete;
    PlaybackMemory& operator=(const PlaybackMemory&) = delete;

    void Leaving() override;
    void Stopping() override;
    void Started() override;
    void Chose() override;

    // Goes to the offered position. False, doing nothing, with no offer up.
    bool Continue();
    bool offering() const { return offerMs_.has_value(); }
    const QString& offerText() const { return offerText_; }

    // Where the offer is shown; the title strip until set. `show` gets the
    // text, `hide` is called when the offer ends before its time is up.
    void setOfferDisplay(std::function<void(const QString&)> show, std::function<void()> hide);

    // The path of the file now open, as the playlist held it when it started;
    // empty when none is.
    const QByteArray& openPath() const { return open_; }
    // Called first when a file has started, for what must be in place before
    // a sound is heard (the volume).
    void setOnStarted(std::function<void()> started) { started_ = std::move(started); }
    // Called once an answer about a started file has come back; for whoever
    // restores more than the position (the tracks).
    void setRecalled(std::function<void(const FileMemory&)> recalled) {
        recalled_ = std::move(recalled);
    }

private:
    void Remember();
    void Offer(std::int64_t positionMs);
    void EndOffer(bool early);

    ui::Form1& form_;
    mci::ModuleMultimedia& mm_;
    History& history_;
    QByteArray open_;
    // Answers about a file that is no longer the one open are dropped.
    int generation_ = 0;
    std::optional<std::int64_t> offerMs_;
    QString offerText_;
    std::function<void(const QString&)> show_;
    std::function<void()> hide_;
    std::function<void(const FileMemory&)> recalled_;
    std::function<void()> started_;
    QTimer offerTimer_;
    // Context of the answers: the last member, so none arrives in a half-gone object.
    QObject answers_;
};

}  // namespace kelto::history
