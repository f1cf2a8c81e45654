#include "core/quote/findtyping.h"

namespace FindTyping {

Result type(const Box& box, QChar character)
{
    const QChar typed = character.toUpper();
    Result result;
    // These would break the search criterion; identifiers hold no blanks.
    if (typed == u'\'' || typed == u',' || typed == u'[' || typed == u']' ||
        (typed == u' ' && box.identifiers))
        return result;
    if (box.cursor < box.text.size() && box.text.at(box.cursor) == typed) {
        result.action = Action::StepOver;
        result.text = box.text;
        result.cursor = box.cursor + 1;
        return result;
    }
    if (box.hasSelection) {
        result.action = Action::ReplaceSelection;
        result.text = QString(typed);
        return result;
    }
    // The completion after the cursor gives way when the box is full.
    QString next = box.text;
    next.insert(box.cursor, typed);
    if (next.size() > box.maxLength)
        next = box.text.left(box.cursor) + typed;
    if (next.size() > box.maxLength)
        return result;
    result.action = Action::Type;
    result.text = next;
    result.cursor = box.cursor + 1;
    return result;
}

DeleteAction deleteKey(const Box& box)
{
    if (box.text.isEmpty())
        return DeleteAction::RemoveStop;
    if (!box.hasSelection && box.cursor < box.text.size())
        return DeleteAction::DropProposal;
    return DeleteAction::Edit;
}

} // namespace FindTyping
