#pragma once

#include <QColor>
#include <QDialog>

#include "graph/GraphDocument.h"

class PESGraph;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The chart's customisation dialog: fonts, titles and axis labels, colours with the grid and
// viewing styles, and the series' colour and line type. Every change shows at once in the
// chart; OK keeps it, Cancel puts the look back as it was. The chart's Allow... flags hide pages.
class TfrmCustomize : public QDialog {
    Q_OBJECT
public:
    enum class ColorRole { Fore, Back, Desk, Text, YAxis, Subset };
    enum class FontRole { Title, Label, Axis };

    explicit TfrmCustomize(PESGraph& chart, QWidget* parent = nullptr);

    QTabWidget* pages = nullptr;
    QLineEdit* edtMainTitle = nullptr;
    QLineEdit* edtSubTitle = nullptr;
    QLineEdit* edtXAxisLabel = nullptr;
    QLineEdit* edtYAxisLabel = nullptr;
    QComboBox* cmbGridStyle = nullptr;
    QComboBox* cmbViewingStyle = nullptr;
    QComboBox* cmbLineType = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // What the colour and font buttons set after their dialogs; tests call them directly.
    void setColor(ColorRole role, const QColor& color);
    void setFont(FontRole role, const QFont& font);

    // The look the dialog started from.
    const GraphLook& originalLook() const { return original_; }

protected:
    void reject() override;

private:
    QWidget* fontPage();
    QWidget* titlePage();
    QWidget* colorPage();
    QWidget* subsetPage();
    QPushButton* colorButton(const char* name, const QString& caption, ColorRole role);
    void preview();

    PESGraph& chart_;
    GraphLook original_;
};
