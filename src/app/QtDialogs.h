#pragma once

#include <QPointer>
#include <QWidget>

#include "core/Dialogs.h"

// The real message boxes and file dialogs, parented to the main window.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void message(const QString& text) override;
    void error(const QString& text) override;
    Answer question(const QString& text, Buttons buttons) override;
    QString openFileName(const QString& caption, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& folder, const QString& filter,
                         QString* selectedFilter, const QString& defaultExt) override;

private:
    QPointer<QWidget> parent_;
};
