#include "app/core/fatal_error.h"

#include <exception>
#include <new>

#include "app/core/kb_error.h"
#include "app/core/prompter.h"
#include "app/core/version.h"

namespace kb {

std::string FatalErrorText(const std::string& label, int sector, int number,
                           const std::string& description) {
    return "A fatal error has occurred in function " + label + ", sector " + std::to_string(sector) +
           "\n" + std::to_string(number) + ") " + description +
           "\n\nPlease report this problem, quoting version " + VersionText() + ".";
}

void FatalErrorBox(const std::string& label, int sector) {
    int number = err::InternalError;
    std::string description;
    try {
        throw;
    } catch (const ProgramEnded&) {
        throw;
    } catch (const KbError& e) {
        number = e.Number();
        description = e.Description();
    } catch (const std::bad_alloc&) {
        number = err::OutOfMemory;
        description = RuntimeErrorText(number);
    } catch (const std::exception& e) {
        description = e.what();
    } catch (...) {
        description = RuntimeErrorText(number);
    }
    MsgBox(FatalErrorText(label, sector, number, description), mb::OKOnly | mb::Critical,
           "Fatal error");
    throw;
}

}  // namespace kb
