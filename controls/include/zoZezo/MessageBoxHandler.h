#pragma once

namespace zoZezo {

// Routes ShowMessage to a modal message box over the active window while a QApplication
// exists (to standard error otherwise), unless the host has installed a handler of its own,
// which then stays. Returns true when it installed the message box, now or before. Safe
// to call any number of times; every memo calls it when it is made.
bool InstallMessageBoxHandler();

} // namespace zoZezo
