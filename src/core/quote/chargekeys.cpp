#include "core/quote/chargekeys.h"

#include "core/format.h"

namespace ChargeKeys {

namespace {

bool isDroppedEverywhere(QChar key)
{
    return key == u'[' || key == u'\'' || key == u']';
}

KeyOutcome accept()
{
    KeyOutcome outcome;
    outcome.accepted = true;
    return outcome;
}

Format::NumberSymbols symbols()
{
    return Format::NumberSymbols::current();
}

// Backspace is a key, not a character, but an editor may still report it as "\b": it
// always passes.
KeyOutcome amountKey(const QString& text, int caret, QChar key)
{
    if (key == u'\b')
        return accept();
    if (isDroppedEverywhere(key))
        return {};
    const Format::NumberSymbols s = symbols();
    const QString typed(key);
    const bool point = typed == s.decimalPoint;
    const bool minus = key == u'-' || typed == s.negativeSign;
    const bool hasPoint = text.contains(s.decimalPoint);
    const bool hasMinus = text.contains(u'-') || text.contains(s.negativeSign);

    // A whole amount takes five digits, one with decimals eight characters; a
    // grouping separator and a sign each add one.
    int limit = hasPoint || point ? 8 : 5;
    if (text.contains(s.groupSeparator))
        ++limit;
    if (hasMinus || minus)
        ++limit;
    if (text.size() >= limit)
        return {};

    if (minus) {
        if (hasMinus)
            return {};
        // The sign always goes in front, wherever the caret stands.
        KeyOutcome outcome;
        outcome.replaced = true;
        outcome.text = s.negativeSign + text;
        outcome.caret = caret + 1;
        return outcome;
    }
    if (text.size() >= AmountLimit)
        return {};
    if (key.isDigit() && key.unicode() < 128)
        return accept();
    if (point && !hasPoint)
        return accept();
    return {};
}

KeyOutcome numberKey(const QString& text, QChar key)
{
    if (key == u'\b')
        return accept();
    if (isDroppedEverywhere(key) || text.size() >= NumberLimit)
        return {};
    if (key.isDigit() && key.unicode() < 128)
        return accept();
    if (QString(key) == symbols().decimalPoint && !text.contains(symbols().decimalPoint))
        return accept();
    return {};
}

// The key rules take "." and "," as the user's decimal sign; where the key typed is not
// the sign itself, the sign goes in in its place.
KeyOutcome asDecimalSign(const QString& text, int caret, QChar key, const KeyOutcome& outcome)
{
    const QString point = Format::decimalKey(QString(key));
    if (!outcome.accepted || point == QString(key))
        return outcome;
    KeyOutcome typed;
    typed.replaced = true;
    typed.text = QString(text).insert(caret, point);
    typed.caret = caret + int(point.size());
    return typed;
}

QChar typedKey(QChar key)
{
    const QString typed = Format::decimalKey(QString(key));
    return typed.size() == 1 ? typed.at(0) : key;
}

} // namespace

KeyOutcome amount(const QString& text, int caret, QChar key)
{
    return asDecimalSign(text, caret, key, amountKey(text, caret, typedKey(key)));
}

KeyOutcome number(const QString& text, int caret, QChar key)
{
    return asDecimalSign(text, caret, key, numberKey(text, typedKey(key)));
}

KeyOutcome charge(const QString& text, int /*caret*/, QChar key)
{
    if (key == u'\b')
        return accept();
    if (isDroppedEverywhere(key) || key == u'\r' || key == u'\n' || text.size() >= ChargeLimit)
        return {};
    return accept();
}

} // namespace ChargeKeys
