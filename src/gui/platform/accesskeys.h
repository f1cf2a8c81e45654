#pragma once

// Access keys (Alt and the underlined letter of a caption) run their button's command
// at once. Qt's own handling clicks the button only after its 100 ms press animation,
// so keys typed in that gap reach other controls before the command has run: a fast
// typist's "kbos Alt+S kphl Alt+S" put the first letters of KPHL into the find box
// before KBOS was selected. With this, every key acts in the order it was typed.
// The access keys of controls on a page of a tab control that is not in front reach
// them too, and bring their page forward. A key let go in a window other than the one
// its press went to (the window the press opened or closed) does nothing there.
namespace AccessKeys {

// Installs the rule for the whole application; each window calls it, once is enough.
void runAtOnce();

} // namespace AccessKeys
