#pragma once
// Test fixtures on disk: a fresh folder removed again at the end of the test, and scoped
// environment variables (the program folder, the registry folder, TMPDIR).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kb::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing "/".
    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;
    // Writes a file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

// Whole contents of a file ("" when it cannot be read).
std::string ReadAll(const std::string& path);
// Deterministic pseudo-random bytes.
std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed = 1);

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace kb::testing
