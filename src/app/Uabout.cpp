#include "app/Uabout.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/Glyphs.h"
#include "core/AppState.h"

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About SonoDesk For Sound Level Meter"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* icon = new QLabel(this);
    icon->setPixmap(glyphs::meterIcon(64));
    auto* title = new QLabel(QStringLiteral("Sound Level Meter Software"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 5);
    f.setBold(true);
    f.setItalic(true);
    title->setFont(f);
    title->setStyleSheet(QStringLiteral("color: #0000c0"));
    auto* product = new QLabel(QStringLiteral("SonoDesk for the NX410 sound level meter"), this);
    auto* version =
        new QLabel(QStringLiteral("Version: ") + QStringLiteral(SONODESK_VERSION), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* licence = new QLabel(
        QStringLiteral("Free software under the GNU General Public License, version 3 or later."),
        this);
    licence->setWordWrap(true);
    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setMinimumWidth(300);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(product);
    text->addWidget(version);
    text->addWidget(licence);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label4, 1);
    bottom->addWidget(BitBtn1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(bottom);
}

TfrmAbout::~TfrmAbout() {
    if (appState().AboutWindow == this)
        appState().AboutWindow = nullptr;
}

void TfrmAbout::showAsSplash() {
    BitBtn1->hide();
    setWindowFlags(Qt::SplashScreen | Qt::WindowStaysOnTopHint);
    adjustSize();
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
    show();
    repaint();
    QApplication::processEvents();
}

void TfrmAbout::setStatus(const QString& text) {
    Label4->setText(text);
    Label4->repaint();
}
