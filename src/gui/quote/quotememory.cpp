#include "gui/quote/quotememory.h"

double& memorizedQuote()
{
    static double quote = 0.0;
    return quote;
}
