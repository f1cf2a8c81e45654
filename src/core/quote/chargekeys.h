#pragma once

#include <QChar>
#include <QString>

// What a typed character does to a cell being edited.
struct KeyOutcome
{
    bool accepted = false; // the character goes into the text at the caret as usual
    bool replaced = false; // the text was changed instead: take `text` and `caret`
    QString text;
    int caret = 0;
};

// The key rules of the charges grid's cells, and of the charge catalogue's amounts:
// what a typed character does to the cell's text at the caret (the text the key goes
// into, a selection already taken out). Each also keeps its column's typing limit:
// Charge 25, Amount 9, Number 4 characters. The keys "." and "," both type the user's
// decimal sign (Format::decimalKey); digit grouping is never typed. A "-" typed into an
// Amount, and a decimal key that types another sign than itself, are `replaced`: the
// caller puts the new text into the cell like any other change of the text.
namespace ChargeKeys {

constexpr int ChargeLimit = 25;
constexpr int AmountLimit = 9;
constexpr int NumberLimit = 4;

KeyOutcome amount(const QString& text, int caret, QChar key);
KeyOutcome number(const QString& text, int caret, QChar key);
// The Charge column: every character but Enter and "[", "'", "]".
KeyOutcome charge(const QString& text, int caret, QChar key);

} // namespace ChargeKeys
