#pragma once

#include <QByteArray>
#include <QList>
#include <QListView>
#include <QRect>
#include <QString>
#include <QStringList>

namespace kelto::platform {

// A single-selection list box of plain text lines. The rows live in one
// QStringList behind a small model of its own, so a list of 100,000 lines
// costs the strings and nothing per row; an item-based list box allocates an
// object and a variant for every row, which makes a long playlist slow to load.
//
// Each row also keeps the bytes it stands for in a file, beside the text it
// shows: a line read from a file in another encoding is shown decoded and
// written back as it was read, byte for byte.
//
// The names are those of Qt's item-based list box, which readers know: rows
// count from 0 and -1 means "no row".
class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);
    ~ListBox() override;

    int count() const;
    // Empty for a row the list does not have.
    QString text(int row) const;
    const QStringList& texts() const;
    // The row's bytes; empty for a row the list does not have.
    QByteArray bytes(int row) const;
    const QList<QByteArray>& allBytes() const;

    // A row added from its text alone stands for the text's UTF-8 form.
    void addItem(const QString& text);
    // All lines in one insertion, so the view lays itself out once.
    void addItems(const QStringList& texts);
    // `bytes` holds one entry for each of `texts`.
    void addItems(const QStringList& texts, const QList<QByteArray>& bytes);
    // Does nothing for a row the list does not have. Removing the current row
    // moves the current row to a neighbour, as the selection model does.
    void removeItem(int row);
    void clear();

    // -1 when no row is current.
    int currentRow() const;
    // Makes `row` current and the only selected row. A row the list does not
    // have (-1 included) leaves no current row and nothing selected.
    void setCurrentRow(int row);

    // Where `row` is drawn, in viewport coordinates; empty for a row the list
    // does not have.
    QRect visualItemRect(int row) const;

signals:
    // Whenever the current row changes, by the user or by code; -1 for none.
    void currentRowChanged(int row);
    void rowDoubleClicked(int row);

private:
    class Lines;
    Lines* lines_;
};

}  // namespace kelto::platform
