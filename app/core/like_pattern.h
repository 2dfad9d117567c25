#pragma once
// The runtime's wildcard match ("Like"), comparing case-sensitively:
//   ?        any one character
//   *        any run of characters, also none
//   #        any one digit 0-9
//   [list]   any one character of the list; "a-z" in it is a range, "-" first or last stands
//            for itself, "[" and the other wildcards stand for themselves
//   [!list]  any one character not in the list
//   []       nothing (a zero-length text)
// Characters are UTF-8 sequences; a byte that begins no valid sequence counts as one
// character of its own.

#include <string>

namespace kb {

// True when the whole of `text` matches `pattern`. A "[" without its "]" or a range whose
// ends stand in descending order raises 93 ("Invalid pattern string").
bool Like(const std::string& text, const std::string& pattern);

}  // namespace kb
