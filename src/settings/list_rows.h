#pragma once

#include <string>
#include <vector>

namespace dealcast::settings {

// The rows of a list view as the list files read and write them: each row holds its column texts, column 0
// (the running number) first. A row may be shorter than the list's column count; missing columns are empty.
using ListRows = std::vector<std::vector<std::string>>;

}  // namespace dealcast::settings
