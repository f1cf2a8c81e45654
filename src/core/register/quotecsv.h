#pragma once

#include "core/register/quoteregister.h"

#include <QList>
#include <QString>

// The register's list as comma-separated values (RFC 4180) for a spreadsheet: a
// heading, then one record a quote, each ended by a carriage return and line feed.
namespace QuoteCsv {

// A text cell as written. A text a spreadsheet would run as a formula (one starting
// with =, +, -, @, a tab or a carriage return) is given a leading single quote; a cell
// holding a comma, a double quote or a line break is enclosed in double quotes, its
// quotes doubled.
QString textCell(const QString& text);
// A figure in plain form, as files hold numbers in every locale: "2793.1".
QString numberCell(double value);

QString listText(const QList<QuoteListEntry>& entries);

} // namespace QuoteCsv
