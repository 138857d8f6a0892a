#pragma once

// Checkable push buttons (the navigation panel's page buttons, output and phase buttons, tabs)
// act on when clicked. Assistive technologies toggle such a button through its toggle action,
// which by default only flips the checked state, so the page never opens. After this call every
// checkable push button takes the press and the toggle action as a click. Installed once; safe to
// call again.
void installButtonAccessibility();
