#pragma once
// The unfinished tasks the front page lists: every "*.uft" file (the extension in exactly that
// case) below the given folders, with its kind from the file's first 16-bit value.

#include <cstdint>
#include <string>
#include <vector>

namespace kb {

struct UnfinishedTask {
    std::string path;
    // The file's name without ".uft".
    std::string name;
    // 1 a split, 2 an assemble.
    int16_t kind = 0;
};

// The tasks below each folder in turn, in the order the folders list them. A file named twice
// (one folder inside another) is listed once; a file that cannot be read, is shorter than two
// bytes or holds another kind is left out.
std::vector<UnfinishedTask> ListUnfinishedTasks(const std::vector<std::string>& folders);

// The kind stored at the start of a task file, or 0 when it cannot be read. Reads the file
// directly, so that a join running in the large-file slots is not disturbed.
int16_t ReadTaskKind(const std::string& path);

}  // namespace kb
