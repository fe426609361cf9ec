#include "Dialogs.h"

namespace {
std::unique_ptr<Dialogs>& slot() {
    static std::unique_ptr<Dialogs> current = std::make_unique<ScriptedDialogs>();
    return current;
}
}  // namespace

Dialogs& Dialogs::instance() {
    return *slot();
}

std::unique_ptr<Dialogs> Dialogs::install(std::unique_ptr<Dialogs> d) {
    std::swap(slot(), d);
    return d;
}

Dialogs::Answer ScriptedDialogs::question(const QString& text, Buttons) {
    shown.push_back(text);
    if (answers.empty())
        return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedDialogs::openFileName(const QString& caption, const QString&, const QString&) {
    shown.push_back(caption);
    if (fileNames.empty())
        return {};
    QString f = fileNames.front();
    fileNames.pop_front();
    return f;
}

QString ScriptedDialogs::saveFileName(const QString& caption, const QString& folder,
                                      const QString& filter, QString*) {
    return openFileName(caption, folder, filter);
}
