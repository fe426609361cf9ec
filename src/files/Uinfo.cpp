#include "files/Uinfo.h"

#include <QLabel>

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Information"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(229 * logicalDpiX() / 120, 46 * logicalDpiY() / 120 + 12);
    Label1 = new QLabel(QStringLiteral("Preparing to load ....."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(16, 16);
    Label1->adjustSize();
}
