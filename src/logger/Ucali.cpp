#include "logger/Ucali.h"

#include <QGridLayout>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Dialogs.h"
#include "core/Guard.h"
#include "link/TComPort.h"
#include "logger/SetupCommands.h"

TUpDown::TUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), min_(minimum), max_(maximum), position_(minimum) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setObjectName(QStringLiteral("up"));
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setObjectName(QStringLiteral("down"));
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(18, 11);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
}

void TUpDown::step(int delta) {
    // A number typed into the box is where the arrows start from.
    bool ok = false;
    const int typed = buddy_->text().trimmed().toInt(&ok);
    if (ok)
        position_ = std::clamp(typed, min_, max_);
    position_ = std::clamp(position_ + delta, min_, max_);
    buddy_->setText(QString::number(position_));
}

TfrmCali::TfrmCali(TComPort& comm1, QWidget* parent) : QDialog(parent), comm1_(comm1) {
    setObjectName(QStringLiteral("frmCali"));
    setWindowTitle(QStringLiteral("Calibration"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    auto* grid = new QGridLayout(this);
    const auto row = [this, grid](int r, const char* caption, QLabel*& label, QLineEdit*& edit,
                                  TUpDown*& updown, const char* labelName, const char* editName,
                                  const char* upDownName) {
        label = new QLabel(QLatin1String(caption), this);
        label->setObjectName(QLatin1String(labelName));
        edit = new QLineEdit(QStringLiteral("1"), this);
        edit->setObjectName(QLatin1String(editName));
        edit->setFixedWidth(48);
        updown = new TUpDown(edit, 1, 11, this);
        updown->setObjectName(QLatin1String(upDownName));
        grid->addWidget(label, r, 0);
        grid->addWidget(edit, r, 1);
        grid->addWidget(updown, r, 2);
    };
    row(0, "Hi", Label1, Edit1, UpDown1, "Label1", "Edit1", "UpDown1");
    row(1, "Lo", Label2, Edit2, UpDown2, "Label2", "Edit2", "UpDown2");
    Button1 = new QPushButton(QStringLiteral("寫入"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("結束"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    grid->addWidget(Button1, 2, 0, 1, 2);
    grid->addWidget(Button2, 2, 2);
    connect(Button1, &QPushButton::clicked, this, &TfrmCali::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmCali::Button1Click() {
    bool okLo = false, okHi = false;
    const int lo = Edit2->text().trimmed().toInt(&okLo);
    const int hi = Edit1->text().trimmed().toInt(&okHi);
    if (!okLo || !okHi) {
        const QString bad = okLo ? Edit1->text() : Edit2->text();
        Dialogs::instance().error(QStringLiteral("'%1' is not a valid integer value").arg(bad));
        return;
    }
    try {
        comm1_.WriteText(logger::calibrationFrame(lo, hi).toBytes());
    } catch (const EAbort&) {
    }
}
