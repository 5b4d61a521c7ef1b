#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>

namespace kelto::ui {

class Form1;

// A short text that tells what a key or the wheel just did ("Volume 65 %",
// "Subtitles off"), or anything else worth a moment's notice: over the top
// left of the picture for a file with pictures, in the window and full
// screen alike; on the title strip for a sound file or when nothing is open.
// It goes by itself after a while; a new text replaces the one shown.
//
//   PictureNote note(form);
//   note.Show(QStringLiteral("Continue from 1:12:40? Press R"), std::chrono::seconds(5));
class PictureNote : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kShownFor{2000};

    explicit PictureNote(Form1& form);
    ~PictureNote() override;
    PictureNote(const PictureNote&) = delete;
    PictureNote& operator=(const PictureNote&) = delete;

    void Show(const QString& text, std::chrono::milliseconds shownFor = kShownFor);
    void Hide();
    // Over the picture now (the strip's texts are the strip's own).
    bool IsShown() const;
    QString Text() const;
    // The widget that carries the text over the picture, so that what the
    // picture does with the wheel it does there too.
    QWidget* Widget() const { return label_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OverPicture() const;
    // Follows the video area: its place, its size and its place in the stack.
    void Place();

    Form1& form_;
    // Both are the window's children and may go before this filter does, while
    // the window is being taken apart: never reach them through the window.
    QPointer<QWidget> picture_;
    QPointer<QLabel> label_;
    QTimer hide_;
};

}  // namespace kelto::ui
