// What every room format's parser reads: the lines of one hand.
#pragma once

#include <string>
#include <vector>

namespace tw {

using HandLines = std::vector<std::wstring>;

} // namespace tw
