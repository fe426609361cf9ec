#pragma once

#include <QWidget>

class ListGridModel;
class QTableView;

// A list window: the rows of one text or CSV file.
class TfrmList : public QWidget {
    Q_OBJECT
public:
    // Takes the grid's model, which may already hold the rows.
    explicit TfrmList(ListGridModel* model = nullptr, QWidget* parent = nullptr);
    ListGridModel& grid() const { return *model_; }
    QTableView* Grid1 = nullptr;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ListGridModel* model_;
};
