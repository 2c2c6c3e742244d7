// Writing the status log to a text file for a service report.
#pragma once

#include <QString>
#include <QStringList>

// The lines that head a saved log: when, which Tolvik, on which computer, through which library.
QStringList LogFileHeader();

// Writes `header`, an empty line and `lines` as UTF-8, one line each, to `path`. The text goes to
// a temporary file beside `path` that replaces it only when complete, so a failed save leaves any
// earlier file as it was. On failure returns false and fills `error`.
bool SaveLogFile(const QString& path, const QStringList& header, const QStringList& lines, QString* error);
