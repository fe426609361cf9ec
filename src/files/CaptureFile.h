#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Capture files (".CAP"): the readings of a data capture window as text, one line for each of
// its rows 1..99, five fields each followed by a tab, lines ended by CR LF.
inline constexpr int kCaptureRows = 99;
inline constexpr int kCaptureFields = 5;

// Writes rows 1..99 (rows[0] is row 1; missing rows give five tabs). Through QSaveFile; false
// with the reason when the file cannot be written.
bool writeCaptureFile(const QString& path, const std::vector<QStringList>& rows,
                      QString* error = nullptr);
// The rows of a capture file, read as text tables are (lines of at most 179 characters, the
// reading ends at a line without a tab), fields 1..5 of each (more are dropped). Nothing when
// the file cannot be opened.
std::optional<std::vector<QStringList>> readCaptureFile(const QString& path);
