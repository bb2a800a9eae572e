#pragma once

#include <string_view>

namespace korvid::test {

// True when this test program needs a shared library whose name contains Part at load time.
bool ProgramNeeds(std::string_view Part);

} // namespace korvid::test
