#pragma once

#include <QStringList>
#include <QTextStream>

// brisklander-quote's commands: prices the trip or the batch that `arguments` (the
// command line after the program's name) give, writes the figures to `out` and every
// message to `err`, and returns the exit status. The PDF needs a QGuiApplication; the
// rest runs on Qt Core alone.
int runQuoteTool(const QStringList& arguments, QTextStream& out, QTextStream& err);
