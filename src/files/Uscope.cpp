#include "files/Uscope.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "core/Clock.h"
#include "core/Dialogs.h"

TfrmScope::TfrmScope(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmScope"));
    setWindowTitle(QStringLiteral("Print Range"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(337, 134);
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        w->setVisible(false);
        return w;
    };
    lblBytesReceived = static_cast<QLabel*>(named(new QLabel(this), "lblBytesReceived"));
    lblBytesReceived->setGeometry(113, 14, 88, 19);
    lblTotalBytes = static_cast<QLabel*>(named(new QLabel(this), "lblTotalBytes"));
    lblTotalBytes->setGeometry(114, 43, 88, 19);
    GroupBox1 = static_cast<QGroupBox*>(named(new QGroupBox(this), "GroupBox1"));
    GroupBox1->setGeometry(4, 10, 238, 62);
    radAll = new QRadioButton(QStringLiteral("&All"), GroupBox1);
    radAll->setObjectName(QStringLiteral("radAll"));
    radAll->setGeometry(8, 6, 60, 20);
    radAll->setChecked(true);
    radNo = new QRadioButton(QStringLiteral("&Select"), GroupBox1);
    radNo->setObjectName(QStringLiteral("radNo"));
    radNo->setGeometry(8, 32, 70, 20);
    Label1 = new QLabel(QStringLiteral("&from"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(80, 34, 34, 18);
    edtSelFrom = new QLineEdit(GroupBox1);
    edtSelFrom->setObjectName(QStringLiteral("edtSelFrom"));
    edtSelFrom->setGeometry(112, 32, 50, 22);
    Label1->setBuddy(edtSelFrom);
    Label2 = new QLabel(QStringLiteral("&to"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(166, 34, 16, 18);
    edtSelTo = new QLineEdit(GroupBox1);
    edtSelTo->setObjectName(QStringLiteral("edtSelTo"));
    edtSelTo->setGeometry(182, 32, 50, 22);
    Label2->setBuddy(edtSelTo);
    // Typing a range chooses it.
    connect(edtSelFrom, &QLineEdit::textEdited, radNo, [this] { radNo->setChecked(true); });
    connect(edtSelTo, &QLineEdit::textEdited, radNo, [this] { radNo->setChecked(true); });
    BitBtn1 =
        static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1"));
    BitBtn1->setGeometry(248, 16, 80, 26);
    BitBtn1->setDefault(true);
    BitBtn2 = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Cancel"), this), "BitBtn2"));
    BitBtn2->setGeometry(248, 48, 80, 26);
    Progress1 = static_cast<QProgressBar*>(named(new QProgressBar(this), "Progress1"));
    Progress1->setGeometry(0, 77, 337, 17);
    Progress1->setRange(0, 100);
    Progress1->setTextVisible(false);
    SText1 =
        static_cast<QLabel*>(named(new QLabel(QStringLiteral("bytes received"), this), "SText1"));
    SText1->setGeometry(17, 16, 200, 19);
    SText2 = static_cast<QLabel*>(named(new QLabel(QStringLiteral("total bytes"), this), "SText2"));
    SText2->setGeometry(16, 43, 200, 19);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        result = mrOk;
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, [this] {
        result = mrCancel;
        if (asRange_)
            reject();
    });
}

void TfrmScope::closeEvent(QCloseEvent* event) {
    // Closing by the window's own button counts as Cancel.
    result = mrCancel;
    QDialog::closeEvent(event);
}

std::optional<LineRange> TfrmScope::askRange(QWidget* parent, int count) {
    TfrmScope d(parent);
    d.setWindowTitle(QStringLiteral("Save File"));
    d.GroupBox1->setVisible(true);
    d.BitBtn1->setVisible(true);
    d.BitBtn2->setVisible(true);
    d.edtSelFrom->setText(QStringLiteral("1"));
    d.edtSelTo->setText(QString::number(count));
    d.asRange_ = true;
    if (d.exec() != QDialog::Accepted || d.result != mrOk)
        return std::nullopt;
    const auto range =
        rangeFromTexts(d.radAll->isChecked(), d.edtSelFrom->text(), d.edtSelTo->text(), count);
    if (!range)
        Dialogs::instance().message(QStringLiteral("invalid integer"));
    return range;
}

void TfrmScope::showProgress(const QString& caption, const QString& text, int barMaximum,
                             bool withBar) {
    setWindowTitle(caption);
    SText1->setText(text);
    SText1->setVisible(true);
    BitBtn2->setVisible(true);
    Progress1->setVisible(withBar);
    Progress1->setRange(0, std::max(0, barMaximum));
    Progress1->setValue(0);
    // Shown without a loop of its own, but the other windows wait: nothing may close or change
    // what the running loop works on.
    setWindowModality(Qt::ApplicationModal);
    show();
    result = mrNone;
}

void TfrmScope::showTransfer(int total) {
    setWindowTitle(QStringLiteral("Data Retriving Progress"));
    for (QWidget* w : std::initializer_list<QWidget*>{Progress1, lblTotalBytes, lblBytesReceived,
                                                      SText1, SText2, BitBtn2})
        w->setVisible(true);
    SText1->setText(QStringLiteral("bytes received"));
    SText2->setText(QStringLiteral("total bytes"));
    Progress1->setRange(0, std::max(0, total));
    Progress1->setValue(0);
    lblTotalBytes->setText(QString::number(total));
    lblBytesReceived->setText(QStringLiteral("0"));
    setWindowModality(Qt::ApplicationModal);
    show();
    result = mrNone;
}

void TfrmScope::setReceived(int bytes) {
    Progress1->setValue(bytes);
    lblBytesReceived->setText(QString::number(bytes));
}

ProgressPacer::ProgressPacer(TfrmScope& dialog, Clock& clock, bool bar)
    : dialog_(dialog), clock_(clock), bar_(bar) {}

bool ProgressPacer::operator()(int lines) {
    const qint64 now = clock_.msecs();
    if (last_ < 0 || now - last_ >= 50) {
        last_ = now;
        if (bar_)
            dialog_.Progress1->setValue(lines);
        else
            dialog_.SText1->setText(QString::number(lines));
        QCoreApplication::processEvents();
    }
    return dialog_.result != TfrmScope::mrCancel;
}
