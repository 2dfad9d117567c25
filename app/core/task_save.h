#pragma once
// Saving an unfinished task, a split's or a join's, so that a save that fails never costs the
// task already under its name.

#include <cstdint>
#include <functional>
#include <string>

#include "app/core/kb_error.h"

namespace kb {

// Saves a task file: `write` writes the record into `slot`, open on a new file beside `path`,
// and gives the record's length in bytes (-1 when a write failed); only a file that holds the
// whole record is renamed to `path`. A task saved again under its own name is the one a stop
// goes back to: a save that fails part way leaves it as it was, and leaves nothing beside it.
// A failed save raises what `write` raised, else `failed`.
void SaveTaskFile(const std::string& path, int16_t slot, const std::function<int64_t()>& write,
                  const KbError& failed);

}  // namespace kb
