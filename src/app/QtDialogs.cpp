#include "app/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {
QString title() {
    return QApplication::applicationDisplayName();
}
}  // namespace

void QtDialogs::message(const QString& text) {
    QMessageBox::information(parent_, title(), text);
}

void QtDialogs::error(const QString& text) {
    QMessageBox::critical(parent_, title(), text);
}

Dialogs::Answer QtDialogs::question(const QString& text, Buttons buttons) {
    QMessageBox::StandardButtons set;
    switch (buttons) {
        case Buttons::YesNo:
            set = QMessageBox::Yes | QMessageBox::No;
            break;
        case Buttons::YesNoCancel:
            set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case Buttons::RetryOkCancel:
            set = QMessageBox::Retry | QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case Buttons::RetryCancel:
            set = QMessageBox::Retry | QMessageBox::Cancel;
            break;
        case Buttons::OkCancel:
            set = QMessageBox::Ok | QMessageBox::Cancel;
            break;
    }
    switch (QMessageBox::question(parent_, title(), text, set)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Retry:
            return Answer::Retry;
        default:
            return Answer::Cancel;
    }
}

QString QtDialogs::openFileName(const QString& caption, const QString& folder,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, caption, folder, dialogFilter(filter));
}

QString QtDialogs::saveFileName(const QString& caption, const QString& folder,
                                const QString& filter, QString* selectedFilter,
                                const QString& defaultExt) {
    QFileDialog dialog(parent_, caption, folder, dialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultExt);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    // The file type the user picks does not change the default extension.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}
