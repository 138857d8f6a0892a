#pragma once

// Puts every program-wide instance back to how the program starts: the exchange, the controller
// state, the waiting plan, the working folders' handles, the notes, the view and the history
// period. The data folder's root stays.
void resetProgramState();
