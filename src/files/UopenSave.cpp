#include "files/UopenSave.h"

#include <QPushButton>

TfrmOpenSave::TfrmOpenSave(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOpenSave"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(359, 244);
    auto add = [this](const char* name, const char* caption, int top, int code) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(24, top, 305, 33);
        connect(b, &QPushButton::clicked, this, [this, code] { done(code); });
        return b;
    };
    btnOpenSets =
        add("btnOpenSets", "Save all data sets to a data set collection file(*.set)", 16, mrOk);
    btnOpenSingleSet =
        add("btnOpenSingleSet", "Save single selected  data set to a  file", 64, mrNo);
    btnOpenCapture = add("btnOpenCapture", "Open Capture File", 112, mrNoToAll);
    btnOpenCapture->setVisible(false);
    Button1 = add("Button1", "Cancel", 162, mrCancel);
}

void TfrmOpenSave::setUpForOpen(bool decimalComma) {
    btnOpenSets->setText(QStringLiteral("Open a data set collection file(*.rec)"));
    btnOpenSingleSet->setText(decimalComma
                                  ? QStringLiteral("Open single data flle(*.TXT,*.GHF)")
                                  : QStringLiteral("Open single data file(*.TXT,*.CSV,*.GHF)"));
    btnOpenCapture->setVisible(true);
}
