#pragma once

#include <QString>

namespace cli {

// Ends a command with its exit status and a one-line message on standard error.
struct Failure {
    int code;
    QString message;
};

// A whole number of at least 1 from an option's text; a usage failure naming the option when
// it is none.
int positiveOption(const QString& text, const char* option);

}  // namespace cli
