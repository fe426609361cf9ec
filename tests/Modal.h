#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal dialog from inside its own event loop: f gets the dialog as soon as
// it runs. No real time passes.
inline void whenModal(std::function<void(QWidget*)> f) {
    QTimer::singleShot(0, [f = std::move(f)] {
        QWidget* w = QApplication::activeModalWidget();
        if (w)
            f(w);
    });
}

template <typename T>
T* child(QWidget* w, const char* name) {
    return w ? w->findChild<T*>(QLatin1String(name)) : nullptr;
}
