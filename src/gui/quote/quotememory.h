#pragma once

// The one remembered quote the operator compares the current final quote with.
// It starts at 0, changes only through the quote memory window's save button and
// lasts for the whole run: a new quote leaves it alone.
double& memorizedQuote();
