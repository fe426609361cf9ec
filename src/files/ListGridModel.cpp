#include "files/ListGridModel.h"

#include <algorithm>
#include <cstring>

ListGridModel::ListGridModel(QObject* parent) : QAbstractTableModel(parent) {
    rows_.resize(1);
}

void ListGridModel::setSource(QByteArray buffer, char separator) {
    beginResetModel();
    buffer_ = std::move(buffer);
    separator_ = separator;
    endResetModel();
}

void ListGridModel::beginBulk() {
    bulkFrom_ = static_cast<int>(rows_.size());
}

void ListGridModel::endBulk() {
    if (bulkFrom_ < 0)
        return;
    bulkFrom_ = -1;
    // The rows are already there; the view learns of them in one go.
    beginResetModel();
    endResetModel();
}

void ListGridModel::setLine(int row, qint64 offset, int length) {
    if (row < 1 || row > static_cast<int>(rows_.size()) + 1)
        return;
    if (row <= static_cast<int>(rows_.size())) {
        rows_[static_cast<std::size_t>(row - 1)] = {offset, length};
        if (bulkFrom_ < 0)
            emit dataChanged(index(row - 1, 0), index(row - 1, kColumns - 1));
        return;
    }
    if (bulkFrom_ >= 0) {
        rows_.push_back({offset, length});
        return;
    }
    beginInsertRows({}, row - 1, row - 1);
    rows_.push_back({offset, length});
    endInsertRows();
}

void ListGridModel::setRowCount(int n) {
    const int data = std::max(0, n - 1);
    const int now = static_cast<int>(rows_.size());
    if (data == now)
        return;
    if (bulkFrom_ >= 0) {
        rows_.resize(static_cast<std::size_t>(data));
        return;
    }
    if (data > now) {
        beginInsertRows({}, now, data - 1);
        rows_.resize(static_cast<std::size_t>(data));
        endInsertRows();
    } else {
        beginRemoveRows({}, data, now - 1);
        rows_.resize(static_cast<std::size_t>(data));
        endRemoveRows();
    }
}

QByteArrayView ListGridModel::fieldBytes(int col, int row) const {
    if (row < 1 || row > static_cast<int>(rows_.size()) || col < 1 || col >= kColumns)
        return {};
    const Row& r = rows_[static_cast<std::size_t>(row - 1)];
    if (r.offset < 0)
        return {};
    const char* p = buffer_.constData() + r.offset;
    const char* end = p + r.length;
    // Column c takes the text before the c-th separator; the last column what is left of it.
    for (int c = 1; c <= col; ++c) {
        if (p >= end)
            return {};
        const char* sep =
            static_cast<const char*>(std::memchr(p, separator_, static_cast<std::size_t>(end - p)));
        const char* fieldEnd = sep ? sep : end;
        if (c == col)
            return QByteArrayView(p, fieldEnd - p);
        if (!sep)
            return {};
        p = sep + 1;
    }
    return {};
}

QString ListGridModel::Cells(int col, int row) const {
    if (row == 0)
        return col >= 0 && col < kColumns ? headings_[col] : QString();
    if (row < 0 || row > static_cast<int>(rows_.size()) || col < 0 || col >= kColumns)
        return {};
    const auto it = written_.constFind(key(col, row));
    if (it != written_.constEnd())
        return *it;
    const Row& r = rows_[static_cast<std::size_t>(row - 1)];
    if (r.offset < 0)
        return {};
    if (col == 0)
        return QString::number(row);
    return QString::fromUtf8(fieldBytes(col, row));
}

QByteArrayView ListGridModel::cellView(int col, int row, QByteArray& scratch) const {
    if (!written_.isEmpty() || col == 0 || row < 1) {
        const auto it = written_.constFind(key(col, row));
        if (it != written_.constEnd() || col == 0 || row < 1) {
            scratch = Cells(col, row).toUtf8();
            return scratch;
        }
    }
    return fieldBytes(col, row);
}

void ListGridModel::setCells(int col, int row, const QString& text) {
    if (row == 0) {
        setHeading(col, text);
        return;
    }
    if (row < 1 || col < 0 || col >= kColumns)
        return;
    if (row > static_cast<int>(rows_.size()))
        setRowCount(row + 1);
    written_.insert(key(col, row), text);
    if (bulkFrom_ < 0) {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i);
    }
}

void ListGridModel::setHeading(int col, const QString& text) {
    if (col < 0 || col >= kColumns)
        return;
    headings_[col] = text;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

std::size_t ListGridModel::overheadBytes() const {
    return rows_.capacity() * sizeof(Row) +
           static_cast<std::size_t>(written_.size()) * (sizeof(QString) + 32);
}

int ListGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ListGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return Cells(index.column(), index.row() + 1);
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ListGridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole || o != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    return headings_[section];
}

Qt::ItemFlags ListGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
