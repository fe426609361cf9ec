#include "graph/Ucustomize.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "graph/PESGraph.h"

namespace {
ChartColor toChart(const QColor& c) {
    return PEargb(c.alpha(), c.red(), c.green(), c.blue());
}
}  // namespace

TfrmCustomize::TfrmCustomize(PESGraph& chart, QWidget* parent)
    : QDialog(parent), chart_(chart), original_(chart.doc().look) {
    setObjectName(QStringLiteral("frmCustomize"));
    setWindowTitle(QStringLiteral("Graph Customization"));
    auto* layout = new QVBoxLayout(this);
    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    if (chart.AllowFontPage)
        pages->addTab(fontPage(), QStringLiteral("Fonts"));
    if (chart.AllowPage1)
        pages->addTab(titlePage(), QStringLiteral("Titles"));
    if (chart.AllowPage2)
        pages->addTab(colorPage(), QStringLiteral("Colors"));
    if (chart.AllowSubsetsPage)
        pages->addTab(subsetPage(), QStringLiteral("Subsets"));
    if (pages->count() == 0) {
        auto* note = new QLabel(QStringLiteral("The graph is printed as it is shown."), this);
        note->setObjectName(QStringLiteral("lblAsShown"));
        layout->addWidget(note);
        pages->hide();
    }
    layout->addWidget(pages);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmCustomize::reject() {
    chart_.doc().look = original_;
    chart_.PEactions(PESGraph::sgReinitAndReset);
    QDialog::reject();
}

void TfrmCustomize::preview() {
    chart_.PEactions(PESGraph::sgReinitAndReset);
}

QWidget* TfrmCustomize::fontPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    const auto add = [this, form](const char* name, const char* caption, FontRole role) {
        auto* b = new QPushButton(QStringLiteral("Choose..."), form->parentWidget());
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, role] {
            bool ok = false;
            const QFont f = QFontDialog::getFont(&ok, chart_.font(), this);
            if (ok)
                setFont(role, f);
        });
        form->addRow(QLatin1String(caption), b);
    };
    add("btnTitleFont", "Title font", FontRole::Title);
    add("btnLabelFont", "Axis label font", FontRole::Label);
    add("btnAxisFont", "Axis numbers font", FontRole::Axis);
    return page;
}

QWidget* TfrmCustomize::titlePage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    GraphLook& l = chart_.doc().look;
    const auto edit = [this, form](const char* name, const char* caption, QString& field) {
        auto* e = new QLineEdit(field, form->parentWidget());
        e->setObjectName(QLatin1String(name));
        connect(e, &QLineEdit::textChanged, this, [this, &field](const QString& t) {
            field = t;
            preview();
        });
        form->addRow(QLatin1String(caption), e);
        return e;
    };
    edtMainTitle = edit("edtMainTitle", "Main title", l.mainTitle);
    edtSubTitle = edit("edtSubTitle", "Subtitle", l.subTitle);
    edtXAxisLabel = edit("edtXAxisLabel", "X axis label", l.xAxisLabel);
    edtYAxisLabel = edit("edtYAxisLabel", "Y axis label", l.yAxisLabel);
    return page;
}

QPushButton* TfrmCustomize::colorButton(const char* name, const QString& caption, ColorRole role) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, [this, role] {
        const QColor c = QColorDialog::getColor(Qt::white, this);
        if (c.isValid())
            setColor(role, c);
    });
    return b;
}

QWidget* TfrmCustomize::colorPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("Graph frame"),
                 colorButton("btnForeColor", QStringLiteral("Color..."), ColorRole::Fore));
    form->addRow(QStringLiteral("Graph background"),
                 colorButton("btnBackColor", QStringLiteral("Color..."), ColorRole::Back));
    form->addRow(QStringLiteral("Desk"),
                 colorButton("btnDeskColor", QStringLiteral("Color..."), ColorRole::Desk));
    form->addRow(QStringLiteral("Text"),
                 colorButton("btnTextColor", QStringLiteral("Color..."), ColorRole::Text));
    form->addRow(QStringLiteral("Y axis"),
                 colorButton("btnYAxisColor", QStringLiteral("Color..."), ColorRole::YAxis));
    GraphLook& l = chart_.doc().look;
    cmbGridStyle = new QComboBox(page);
    cmbGridStyle->setObjectName(QStringLiteral("cmbGridStyle"));
    cmbGridStyle->addItems({QStringLiteral("Thin"), QStringLiteral("Thick"), QStringLiteral("Dot"),
                            QStringLiteral("Dash")});
    cmbGridStyle->setCurrentIndex(static_cast<int>(l.gridStyle));
    connect(cmbGridStyle, &QComboBox::currentIndexChanged, this, [this](int i) {
        chart_.doc().look.gridStyle = static_cast<GridStyle>(std::clamp(i, 0, 3));
        preview();
    });
    form->addRow(QStringLiteral("Grid"), cmbGridStyle);
    cmbViewingStyle = new QComboBox(page);
    cmbViewingStyle->setObjectName(QStringLiteral("cmbViewingStyle"));
    cmbViewingStyle->addItems({QStringLiteral("Color"), QStringLiteral("Monochrome")});
    cmbViewingStyle->setCurrentIndex(l.viewingStyle == kViewMonochrome ? 1 : 0);
    connect(cmbViewingStyle, &QComboBox::currentIndexChanged, this, [this](int i) {
        chart_.doc().look.viewingStyle = i == 1 ? kViewMonochrome : kViewColor;
        preview();
    });
    form->addRow(QStringLiteral("Viewing style"), cmbViewingStyle);
    return page;
}

QWidget* TfrmCustomize::subsetPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("Series color"),
                 colorButton("btnSubsetColor", QStringLiteral("Color..."), ColorRole::Subset));
    cmbLineType = new QComboBox(page);
    cmbLineType->setObjectName(QStringLiteral("cmbLineType"));
    cmbLineType->addItems({QStringLiteral("Solid"), QStringLiteral("Dash"), QStringLiteral("Dot"),
                           QStringLiteral("Dash Dot")});
    const GraphLook& l = chart_.doc().look;
    cmbLineType->setCurrentIndex(
        l.subsetLineTypes.empty() ? 0 : static_cast<int>(l.subsetLineTypes.front()));
    connect(cmbLineType, &QComboBox::currentIndexChanged, this, [this](int i) {
        auto& types = chart_.doc().look.subsetLineTypes;
        if (types.empty())
            types.push_back(LineType::Solid);
        types.front() = static_cast<LineType>(std::clamp(i, 0, 3));
        preview();
    });
    form->addRow(QStringLiteral("Line type"), cmbLineType);
    return page;
}

void TfrmCustomize::setColor(ColorRole role, const QColor& color) {
    GraphLook& l = chart_.doc().look;
    const ChartColor c = toChart(color);
    switch (role) {
        case ColorRole::Fore:
            l.foreColor = c;
            break;
        case ColorRole::Back:
            l.backColor = c;
            break;
        case ColorRole::Desk:
            l.deskColor = c;
            break;
        case ColorRole::Text:
            l.textColor = c;
            break;
        case ColorRole::YAxis:
            l.yAxisColor = c;
            break;
        case ColorRole::Subset:
            if (l.subsetColors.empty())
                l.subsetColors.push_back(c);
            else
                l.subsetColors.front() = c;
            break;
    }
    preview();
}

void TfrmCustomize::setFont(FontRole role, const QFont& font) {
    GraphLook& l = chart_.doc().look;
    (role == FontRole::Title   ? l.titleFont
     : role == FontRole::Label ? l.labelFont
                               : l.axisFont) = font.toString();
    preview();
}
