#pragma once
// The box shown when a long procedure meets an error it did not foresee. Such procedures count
// their steps in a local "sector"; the handler names the procedure and the step, shows the
// error, and then the same error travels on to the caller:
//
//     int sector = 0;
//     try {
//         sector = 1; ...
//         sector = 2; ...
//     } catch (...) {
//         FatalErrorBox("Split()", sector);   // rethrows
//     }

#include <string>

namespace kb {

// Must be called from inside a catch block. Shows the critical "Fatal error" box, whose first
// line reads "A fatal error has occurred in function <label>, sector <sector>", then rethrows
// the exception being handled. `label` is given as the box shows it, "Split()" for instance.
// A ProgramEnded passes through without a box.
[[noreturn]] void FatalErrorBox(const std::string& label, int sector);

// The text of that box for an error.
std::string FatalErrorText(const std::string& label, int sector, int number,
                           const std::string& description);

}  // namespace kb
