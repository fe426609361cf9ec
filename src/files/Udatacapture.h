#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

class QTableWidget;

// The data capture window: the readings stored with the meter's MEM key, as RECALL read them or
// as a capture file holds them. Row r (1..100) is grid row r - 1; column 0 numbers it.
class TfrmDataCapture : public QWidget {
    Q_OBJECT
public:
    explicit TfrmDataCapture(QWidget* parent = nullptr);

    static constexpr int kNumberedRows = 100;
    QTableWidget* Grid1 = nullptr;

    // The heading row's texts and the row numbers "01".."09", "10".."100".
    void FormShow();
    // Columns 1..5 of rows 1..99 emptied.
    void clearReadings();
    // Columns 1..5 of row r (1-based); number, when given, goes into column 0.
    void setReading(int row, const QStringList& cells, const QString& number = QString());
    // The text of a cell; row 0 is the heading row.
    QString cell(int col, int row) const;
    // Columns 1..5 of rows 1..count.
    std::vector<QStringList> readings(int count) const;
    int rowCount() const;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
};
