#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>

#include <vector>

// The grid of a list window: 7 columns (0 the line number, 1..6 the fields of a text line) and
// a heading row 0, as the grid operations count them. Rows read from a file are kept as their
// line's bytes and split into cells when asked, so a million rows cost little more than the file.
class ListGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 7;

    explicit ListGridModel(QObject* parent = nullptr);

    // Grid operations. RowCount includes the heading row; a new grid has 2 rows.
    int RowCount() const { return static_cast<int>(rows_.size()) + 1; }
    int ColCount() const { return kColumns; }
    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);
    void setRowCount(int n);
    void setHeading(int col, const QString& text);

    // The rows of a text file: buffer holds the file, each row one line of it.
    void setSource(QByteArray buffer, char separator);
    // Data row row (1..) takes its fields from buffer[offset, offset + length); the grid grows
    // by one row when row is just past its end.
    void setLine(int row, qint64 offset, int length);
    const QByteArray& buffer() const { return buffer_; }
    char separator() const { return separator_; }
    // The bytes of field col (1..6) of data row row (1..), without copying; empty when the row
    // was not read from the buffer or has no such field.
    QByteArrayView fieldBytes(int col, int row) const;

    // Cell (col, row) as UTF-8 bytes: a view into the buffer, or scratch holding a written text.
    QByteArrayView cellView(int col, int row, QByteArray& scratch) const;

    // Bytes held beyond the buffer; for the benchmark's memory figure.
    std::size_t overheadBytes() const;

    // Batches many appended rows into one change the view sees.
    void beginBulk();
    void endBulk();

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        qint64 offset = -1;  // -1: not from the buffer
        int length = 0;
    };
    static quint64 key(int col, int row) {
        return (static_cast<quint64>(static_cast<quint32>(row)) << 8) | static_cast<quint32>(col);
    }

    QByteArray buffer_;
    char separator_ = '\t';
    std::vector<Row> rows_;  // data rows 1..
    QHash<quint64, QString> written_;
    QString headings_[kColumns];
    int bulkFrom_ = -1;
};
