#pragma once
// A scripted listener for joining tests: records every event and answers as told.

#include <functional>
#include <string>
#include <vector>

#include "app/core/assembler_listener.h"

namespace kb::testing {

struct ScriptedAssemblerListener : AssemblerListener {
    int starts = 0;
    std::vector<int32_t> totals;  // PBCurrent of every interval
    std::vector<int32_t> disks;   // DiskNumber of every disk request
    std::vector<bool> firstRequests;

    // Cancel in this interval (1-based; 0 never), saving under saveAs ("" deletes the output).
    int cancelAtInterval = 0;
    std::string saveAs;
    // Answers to disk requests; by default the piece is simply expected to be there now.
    std::function<void(int32_t, bool&, std::string&)> onDisk;
    std::function<void(int)> onInterval;
    // Answers to a stop at a missing piece; by default the stop stands, saved under saveAs.
    std::function<void(bool&, std::string&)> onStop;
    int stops = 0;
    std::vector<std::string> passphrases;  // typed one after the other; then cancel

    void AssembleStart(int16_t PBMax) override {
        ++starts;
        (void)PBMax;
    }
    void AssembleInterval(int32_t PBCurrent, int32_t, bool& Cancel,
                          std::string& SaveStateFile) override {
        totals.push_back(PBCurrent);
        if (onInterval) onInterval(static_cast<int>(totals.size()));
        if (static_cast<int>(totals.size()) == cancelAtInterval) {
            Cancel = true;
            SaveStateFile = saveAs;
        }
    }
    void RequireNextDisk(int32_t& DiskNumber, bool& Cancel, std::string& SaveStateFile) override {
        disks.push_back(DiskNumber);
        if (onDisk) onDisk(DiskNumber, Cancel, SaveStateFile);
    }
    void ConfirmStop(bool& Cancel, std::string& SaveStateFile) override {
        ++stops;
        if (onStop)
            onStop(Cancel, SaveStateFile);
        else
            SaveStateFile = saveAs;
    }
    void RequirePassphrase(std::string& Passphrase, bool& Cancel, bool FirstRequest) override {
        firstRequests.push_back(FirstRequest);
        const size_t i = firstRequests.size() - 1;
        if (i < passphrases.size())
            Passphrase = passphrases[i];
        else
            Cancel = true;
    }
};

}  // namespace kb::testing
