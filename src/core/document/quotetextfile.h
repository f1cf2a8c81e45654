#pragma once

#include "core/document/quotedata.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The quote as a plain text file: the sections of the printed document in
// character columns, every line ending in a carriage return and a line feed.
namespace QuoteTextFile {

// The lines of the file, without their line ends.
QStringList lines(const QuoteData& data);

// The file's bytes: the lines, each ended by CR LF, in UTF-8 (the system's
// character set here).
QByteArray contents(const QuoteData& data);

} // namespace QuoteTextFile
