#include "graph/UsetupRealTime.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <optional>

#include "core/Dialogs.h"
#include "core/LocaleText.h"
#include "graph/Recording.h"

TfrmSetupRealTime::TfrmSetupRealTime(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetupRealTime"));
    setWindowTitle(QStringLiteral("Real-Time Setup"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    edtRealTimeNo = new QLineEdit(this);
    edtRealTimeNo->setObjectName(QStringLiteral("edtRealTimeNo"));
    edtRealTimeNo->setAlignment(Qt::AlignRight);
    edtRealTimeNo->setMaxLength(5);
    // Up to five digits; blanks stand where a digit is left out.
    edtRealTimeNo->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9 ]{0,5}")), edtRealTimeNo));
    edtRealTimeNo->setText(QStringLiteral(" 2000"));
    edtRealTimeNo->setFixedWidth(80);

    txtRate = new QComboBox(this);
    txtRate->setObjectName(QStringLiteral("txtRate"));
    txtRate->setEditable(true);
    txtRate->addItems(rateListTexts());
    txtRate->setFixedWidth(80);

    edtPeriod = new QLineEdit(this);
    edtPeriod->setObjectName(QStringLiteral("edtPeriod"));
    edtPeriod->setReadOnly(true);
    edtPeriod->setFocusPolicy(Qt::NoFocus);
    edtPeriod->setFixedWidth(80);

    btnStart = new QPushButton(QStringLiteral("Start"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnStart, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    auto* title = new QLabel(QStringLiteral("Real-Time data no to be recorded"), this);
    auto* hint = new QLabel(QStringLiteral("(Adjust the number to meet your need)"), this);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(hint, 1, 0, 1, 2);
    grid->addWidget(edtRealTimeNo, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Real -Time Sampling Rate"), this), 2, 0, 1, 2);
    grid->addWidget(txtRate, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("second"), this), 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Recording Period"), this), 3, 0, 1, 2);
    grid->addWidget(edtPeriod, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("HH:MM:SS"), this), 3, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStart);
    buttons->addWidget(btnCancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addSpacing(8);
    top->addLayout(buttons);

    connect(edtRealTimeNo, &QLineEdit::textEdited, this, &TfrmSetupRealTime::recomputePeriod);
    connect(txtRate, &QComboBox::currentTextChanged, this, [this] {
        if (isVisible())
            recomputePeriod();
    });
}

void TfrmSetupRealTime::showInitialPeriod(float rate) {
    edtPeriod->setText(periodText(periodSeconds(2000, rate), false));
}

std::optional<int> TfrmSetupRealTime::samples() const {
    bool ok = false;
    const int n = edtRealTimeNo->text().trimmed().toInt(&ok);
    if (!ok || n < 0)
        return std::nullopt;
    return n;
}

void TfrmSetupRealTime::recomputePeriod() {
    bool ok = false;
    const double rate = localetext::toDouble(txtRate->currentText(), &ok);
    if (!ok) {
        Dialogs::instance().error(localetext::notANumberText(txtRate->currentText()));
        return;
    }
    const int n = samples().value_or(0);
    edtPeriod->setText(periodText(periodSeconds(n, rate), true));
}
