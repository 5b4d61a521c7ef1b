#include "platform/widgets/ListBox.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>

namespace kelto::platform {

// The rows of one list box. Only the list box changes them, so the model has
// no editing or moving of its own.
class ListBox::Lines : public QAbstractListModel {
public:
    explicit Lines(QObject* parent) : QAbstractListModel(parent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(lines_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!has(index) || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        return lines_.at(index.row());
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!has(index)) return Qt::NoItemFlags;
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    }

    const QStringList& lines() const { return lines_; }
    const QList<QByteArray>& bytes() const { return bytes_; }

    void append(const QStringList& more, const QList<QByteArray>& moreBytes) {
        if (more.isEmpty() || moreBytes.size() != more.size()) return;
        const int first = static_cast<int>(lines_.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(more.size()) - 1);
        // An empty list takes the other's storage as it is (the strings are
        // shared, not copied), which is the common case of a whole file.
        if (lines_.isEmpty()) {
            lines_ = more;
            bytes_ = moreBytes;
        } else {
            lines_ += more;
            bytes_ += moreBytes;
        }
        endInsertRows();
    }

    void remove(int row) {
        if (row < 0 || row >= lines_.size()) return;
        beginRemoveRows(QModelIndex(), row, row);
        lines_.removeAt(row);
        bytes_.removeAt(row);
        endRemoveRows();
    }

    void clear() {
        beginResetModel();
        lines_.clear();
        bytes_.clear();
        endResetModel();
    }

private:
    bool has(const QModelIndex& index) const {
        return index.isValid() && index.model() == this && index.row() < lines_.size();
    }

    QStringList lines_;
    QList<QByteArray> bytes_;
};

namespace {

QList<QByteArray> Utf8Of(const QStringList& texts) {
    QList<QByteArray> bytes;
    bytes.reserve(texts.size());
    for (const QString& text : texts) bytes.append(text.toUtf8());
    return bytes;
}

}  // namespace

ListBox::ListBox(QWidget* parent) : QListView(parent), lines_(new Lines(this)) {
    setModel(lines_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row is one line in one font: the view then measures one row
    // instead of laying out the text of every entry.
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { emit currentRowChanged(current.row()); });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(index.row()); });
}

ListBox::~ListBox() = default;

int ListBox::count() const { return lines_->rowCount(); }

QString ListBox::text(int row) const {
    const QStringList& all = lines_->lines();
    return row >= 0 && row < all.size() ? all.at(row) : QString();
}

const QStringList& ListBox::texts() const { return lines_->lines(); }

QByteArray ListBox::bytes(int row) const {
    const QList<QByteArray>& all = lines_->bytes();
    return row >= 0 && row < all.size() ? all.at(row) : QByteArray();
}

const QList<QByteArray>& ListBox::allBytes() const { return lines_->bytes(); }

void ListBox::addItem(const QString& text) { addItems(QStringList{text}); }

void ListBox::addItems(const QStringList& texts) { lines_->append(texts, Utf8Of(texts)); }

void ListBox::addItems(const QStringList& texts, const QList<QByteArray>& bytes) {
    lines_->append(texts, bytes);
}

void ListBox::removeItem(int row) { lines_->remove(row); }

void ListBox::clear() {
    // Cleared first so that the current row is seen to go (-1) before the
    // rows do; a model reset alone drops the selection without a word.
    selectionModel()->clear();
    lines_->clear();
}

int ListBox::currentRow() const { return currentIndex().row(); }

void ListBox::setCurrentRow(int row) {
    selectionModel()->setCurrentIndex(lines_->index(row), QItemSelectionModel::ClearAndSelect);
}

QRect ListBox::visualItemRect(int row) const { return visualRect(lines_->index(row)); }

}  // namespace kelto::platform
