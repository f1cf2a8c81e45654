#include "gui/document/printdialogstate.h"

PrintDialogState& printDialogState()
{
    static PrintDialogState state;
    return state;
}
