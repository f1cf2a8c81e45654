#pragma once

#include "core/numberederror.h"

#include <QString>

// The program's failure messages: a first line ("An Error Occurred:"), two carriage
// returns, "Error number = " and the number, a carriage return and the description.
// Each window gives its own first line; a few spell the caption "Error Number = ".
namespace ErrorText {

inline const QString NumberCaption = QStringLiteral("Error number = ");

// "Error number = 3024\rCould not find file ..."
inline QString lines(int number, const QString& description,
                     const QString& numberCaption = NumberCaption)
{
    return numberCaption + QString::number(number) + u'\r' + description;
}

inline QString lines(const NumberedError& error, const QString& numberCaption = NumberCaption)
{
    return lines(error.number(), error.description(), numberCaption);
}

// The whole message: the first line, two carriage returns and the error's lines.
inline QString message(const QString& firstLine, const NumberedError& error,
                       const QString& numberCaption = NumberCaption)
{
    return firstLine + QStringLiteral("\r\r") + lines(error, numberCaption);
}

} // namespace ErrorText
