#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

// Message boxes, confirmations and file-name choices go through here, so that tests and
// headless runs can script the answers.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel, Ok, Retry };
    enum class Buttons { YesNo, YesNoCancel, RetryOkCancel, RetryCancel, OkCancel };

    virtual ~Dialogs() = default;
    virtual void message(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    virtual Answer question(const QString& text, Buttons buttons) = 0;
    // Empty when the user cancels. Filters are "description|pattern|description|pattern";
    // a name typed without extension gets defaultExt. Saving asks before replacing a file.
    virtual QString openFileName(const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& folder,
                                 const QString& filter, QString* selectedFilter,
                                 const QString& defaultExt = QString()) = 0;

    // "Graph file|*.GHF|Text|*.TXT" as a file dialog's filter list, patterns in either case.
    static QString dialogFilter(const QString& filter);

    static Dialogs& instance();
    // Installs d for the whole process and returns the one it replaced.
    static std::unique_ptr<Dialogs> install(std::unique_ptr<Dialogs> d);
};

// Answers from a script and records every text shown; for tests and headless runs.
class ScriptedDialogs final : public Dialogs {
public:
    void message(const QString& text) override { shown.push_back(text); }
    void error(const QString& text) override { shown.push_back(text); }
    Answer question(const QString& text, Buttons buttons) override;
    QString openFileName(const QString& caption, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& folder, const QString& filter,
                         QString* selectedFilter, const QString& defaultExt) override;

    QStringList shown;
    QString lastFolder, lastFilter, lastDefaultExt;  // of the last file dialog
    std::deque<Answer> answers;                      // questions asked with none left answer Cancel
    std::deque<QString> fileNames;  // file choices with none left answer "" (cancel)
};
