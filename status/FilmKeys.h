#pragma once

#include <QObject>

#include "player/PlaybackChoices.h"
#include "ui/Form1.h"

namespace kelto::status {

// The keys and the wheel of a film, in the window and full screen alike,
// wherever the focus is in the window:
//
//   V                      the next subtitle, then none
//   B                      the next sound track
//   + / - (and keypad),
//   Ctrl+Up / Ctrl+Down    volume up or down by 5 %
//   M                      mute, unmute
//   wheel over the picture volume up (away from you) or down, 5 % a notch
//
// None of them is a key the window had a use for; Ctrl and Alt with a letter
// are left alone.
class FilmKeys : public QObject {
public:
    // Both must outlive this object.
    FilmKeys(ui::Form1& form, player::PlaybackChoices& choices);
    ~FilmKeys() override;

    // What the key does; false for a key that is not one of these.
    bool KeyDown(int qtKey, Qt::KeyboardModifiers modifiers);
    // The wheel over `widget` (a text over the picture) acts as over the picture.
    void WatchWheel(QWidget* widget) { wheelAlso_ = widget; }
    // A turn of the wheel, in eighths of a degree as Qt counts (120 a notch).
    void Wheel(int angleDelta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool InWindow(QObject* watched) const;

    ui::Form1& form_;
    player::PlaybackChoices& choices_;
    QWidget* wheelAlso_ = nullptr;
    int wheelRest_ = 0;  // part of a notch from a fine-grained wheel
};

}  // namespace kelto::status
