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

QString ScriptedDialogs::openFileName(const QString& caption, const QString& folder,
                                      const QString& filter) {
    shown.push_back(caption);
    lastFolder = folder;
    lastFilter = filter;
    lastDefaultExt.clear();
    if (fileNames.empty())
        return {};
    QString f = fileNames.front();
    fileNames.pop_front();
    return f;
}

QString ScriptedDialogs::saveFileName(const QString& caption, const QString& folder,
                                      const QString& filter, QString*, const QString& defaultExt) {
    QString name = openFileName(caption, folder, filter);
    lastDefaultExt = defaultExt;
    return name;
}

QString Dialogs::dialogFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            patterns << t;
            if (t.toLower() != t)
                patterns << t.toLower();
        }
        out << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}
