#pragma once

#include <QString>

#include <stdexcept>

// A failure the program shows by its number and description ("Error number = 3024",
// then the description): the engine's and the print job's alike, so a handler that
// shows either catches one type.
class NumberedError : public std::runtime_error
{
public:
    NumberedError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description)
    {}
    int number() const { return m_number; }
    QString description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};
