#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zezo {

// The whole content of a file, or of standard input for "-". Throws TFailure(ExitNoInput)
// naming the file and the system's reason when it cannot be read.
std::string ReadInput(const std::string& Path);

// Splits text into lines at '\n' and drops one '\r' at the end of each. A final line without
// '\n' is kept; a final '\n' does not begin another line. Any other byte, NUL included, is left
// for the compiler to judge.
std::vector<std::string> SplitLines(std::string_view Text);

} // namespace zezo
