#include "app/core/legacy_header.h"

#include <cctype>

#include "app/core/big_file.h"
#include "app/core/slot_values.h"

namespace kb {

namespace {

bool EndsInCab(const std::string& name) {
    if (name.size() < 3) return false;
    std::string tail = name.substr(name.size() - 3);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == "cab";
}

}  // namespace

void ReadLegacyHeader(int16_t slot, LegacyFragmentHeader& legacy,
                      LegacyEncryptionRecord& encryption) {
    legacy.FragmentCount = ReadValueBF<int16_t>(slot);
    legacy.OrigFilename = ReadStringBF(slot);
    legacy.Reserved1 = ReadValueBF<int16_t>(slot);
    legacy.Encrypted = ReadValueBF<int16_t>(slot);
    legacy.Reserved2 = ReadValueBF<int16_t>(slot);
    legacy.IsCab = ReadValueBF<int16_t>(slot);
    legacy.Trailer = ReadValueBF<int16_t>(slot);
    legacy.IsCab = EndsInCab(legacy.OrigFilename) ? int16_t{-1} : int16_t{0};
    if (legacy.Encrypted != 0) {
        encryption.Text = ReadStringBF(slot);
        encryption.Reserved1 = ReadValueBF<int16_t>(slot);
        encryption.Reserved2 = ReadValueBF<int16_t>(slot);
        encryption.CheckValue = ReadValueBF<int16_t>(slot);
    }
}

}  // namespace kb
