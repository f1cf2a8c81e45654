#pragma once

#include <QChar>
#include <QString>

// The typing rule of the airport find box, apart from the box: what one typed
// character does to the box's text and cursor. The box completes what was typed
// with the airport found, and the text after the cursor is that completion.
namespace FindTyping {

struct Box
{
    QString text;
    int cursor = 0;
    bool hasSelection = false;
    int maxLength = 32767;
    bool identifiers = true; // searching identifiers, else airport names
};

enum class Action
{
    Drop,             // the character is not typed
    StepOver,         // it is the next character of the completion: the cursor moves on
    ReplaceSelection, // it replaces the selected text, as a line edit does
    Type,             // the text becomes `text` with the cursor at `cursor`; search again
};

struct Result
{
    Action action = Action::Drop;
    QString text;
    int cursor = 0;
};

Result type(const Box& box, QChar character);

enum class DeleteAction
{
    RemoveStop,   // the box is empty: the key takes the selected stop out of the route
    DropProposal, // the box becomes what was typed, with nothing proposed
    Edit,         // the box deletes as a line edit does
};

// What the Delete key does. With a proposal after the cursor it takes back the
// proposal and nothing else: clearing the grey text never costs a route stop.
DeleteAction deleteKey(const Box& box);

} // namespace FindTyping
