#pragma once

#include <QStringList>
#include <QTextStream>

#include <functional>

struct QuoteData;

// brisklander-quote's commands: prices the trip or the batch that `arguments` (the
// command line after the program's name) give, writes the figures to `out` and every
// message to `err`, and returns the exit status. All of it runs on Qt Core alone but the
// PDF, which the writer set below makes.
int runQuoteTool(const QStringList& arguments, QTextStream& out, QTextStream& err);

// What writes a quote's PDF (PrintJob::writePdf, which needs a QGuiApplication): set by
// brisklander-quote-pdf and the tests. brisklander-quote hands every run that asks for a
// PDF to brisklander-quote-pdf, so that its other runs do not load Qt Gui.
using PdfWriter = std::function<void(const QString& path, const QuoteData& data)>;
void setPdfWriter(PdfWriter writer);

// The program that writes PDFs: `name` beside the running program (the build), else in
// the package's folder of helper programs. Empty when neither is there.
QString helperProgram(const QString& programFolder, const QString& name);
