#include "app/core/active_splitter.h"

#include <limits>
#include <vector>

#include "app/core/active_assembler.h"
#include "app/core/big_file.h"
#include "app/core/fragment_format.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/piece_limits.h"
#include "app/core/prompter.h"
#include "app/core/system_queries.h"
#include "app/core/text.h"

namespace kb {

namespace {
constexpr int64_t kPieceRecordBytes = kPieceRecordSize;
// Piece numbers are counted in 16 bits.
constexpr int64_t kMaxPieces = std::numeric_limits<int16_t>::max();
}  // namespace

ActiveSplitter::ActiveSplitter() = default;

int64_t ActiveSplitter::DestinationSpaceRequired() {
    return fragmentSizeAtStart_ + (static_cast<int64_t>(FragsNeeded()) - 1) * fragmentSize_;
}

void ActiveSplitter::SetFragmentSizeToDiskSize() {
    int64_t size = UseFreespaceInsteadOfTotalspace ? GetFreeDiskSpace(destinationFolder_)
                                                   : GetDiskCapacity(destinationFolder_);
    SetFragmentSize(size);
}

void ActiveSplitter::SetBigFile(const std::string& path) {
    bigFile_ = path;
    if (!FileExists(path))
        throw KbError(err::ObjectFailure, "ActiveSplitter",
                      "File to split does not exist! If resuming an unfinished task, the "
                      "temporary file could have been deleted!");
    bigFileLength_ = FileSizeBF(path);
}

void ActiveSplitter::SetDestinationFolder(const std::string& folder) {
    destinationFolder_ = folder;
    if (destinationFolder_.empty() || destinationFolder_.back() != '/') destinationFolder_ += '/';
}

int64_t ActiveSplitter::FirstPieceHeaderLength() const {
    switch (fileFormat_) {
    case aftTarnwolde:
        return FirstPieceHeaderSize(FilenameToStore, FragNamingTemplate);
    case aftRaw:
        return 0;
    default:
        // The older program counted the stored name and its terminator in the first piece.
        return static_cast<int64_t>(StripFolder(bigFile_).size()) + 1;
    }
}

std::string ActiveSplitter::FragmentHeaderBytes() {
    Format4Header info;  // HeaderInfo
    info.pieceCount = FragsNeeded();
    info.storedName = FilenameToStore;
    info.encryptionId = EncryptionID;
    info.compressionId = CompressionID;
    info.namingTemplate = FragNamingTemplate;
    info.sourceLength = bigFileLength_;
    return EncodeCommonHeader(FragmentCommonHeader{}) + EncodeFormat4Header(info);
}

int64_t ActiveSplitter::FragmentDataSize() const {
    return fileFormat_ == aftTarnwolde ? fragmentSize_ - kPieceRecordBytes : fragmentSize_;
}

int64_t ActiveSplitter::FragmentDataSizeAtStart() const {
    return fileFormat_ == aftTarnwolde
               ? fragmentSizeAtStart_ - kPieceRecordBytes - FirstPieceHeaderLength()
               : fragmentSizeAtStart_;
}

int64_t ActiveSplitter::CountPieces() const {
    const int64_t firstData = FragmentDataSizeAtStart();
    if (bigFileLength_ <= firstData) return 1;
    const int64_t rest = bigFileLength_ - firstData;
    const int64_t data = FragmentDataSize();  // at least the minimum size less one record
    return (rest + data - 1) / data + 1;
}

int64_t ActiveSplitter::PieceDataOffset(int32_t piece) const {
    if (piece <= 1) return 0;
    return FragmentDataSizeAtStart() + static_cast<int64_t>(piece - 2) * FragmentDataSize();
}

int64_t ActiveSplitter::PieceDataSize(int32_t piece, int64_t count) const {
    if (piece == count) return bigFileLength_ - PieceDataOffset(piece);
    return piece == 1 ? FragmentDataSizeAtStart() : FragmentDataSize();
}

int64_t ActiveSplitter::SavedPieceLength(int32_t piece, int64_t bytesLeft) const {
    int64_t length = PieceDataSize(piece, CountPieces()) - bytesLeft;
    if (fileFormat_ == aftTarnwolde)
        length += kPieceRecordSize + (piece == 1 ? FirstPieceHeaderLength() : 0);
    return length;
}

std::string ActiveSplitter::PiecePath(int32_t piece) const {
    std::string folder = destinationFolder_;
    return RemoveTrailingBackslash(folder, true) + "/" +
           ExpandNamingTemplate(FilenameToStore, piece, FragNamingTemplate);
}

bool ActiveSplitter::ConfirmReplacingPieces() {
    return ConfirmReplacingPieces(FragUseRange ? FragFirst : 1, FragUseRange ? FragLast : FragsNeeded());
}

bool ActiveSplitter::ConfirmReplacingPieces(int32_t first, int32_t last) {
    std::vector<std::string> there;
    for (int32_t i = first; i <= last; ++i)
        if (StandsThere(PiecePath(i))) there.push_back(PiecePath(i));
    if (there.empty()) return true;
    std::string text = there[0] + " already exists. Replace it with a fragment of this split?";
    if (there.size() > 1) {
        std::string folder = destinationFolder_;
        text = std::to_string(there.size()) + " files named like the fragments of this split "
               "already exist in " + RemoveTrailingBackslash(folder, true) + ":";
        for (const std::string& path : there) text += "\r" + StripFolder(path);
        text += "\r\rReplace them with the new fragments?";
    }
    return MsgBox(text, mb::YesNo | mb::Exclamation | mb::DefaultButton2, "Files already exist") ==
           Answer::Yes;
}

int32_t ActiveSplitter::FragsNeeded() {
    int64_t n = CountPieces();
    if (n > kMaxPieces) throw KbError(err::Overflow, "ActiveSplitter");
    return static_cast<int32_t>(n);
}

int64_t ActiveSplitter::ClampSize(int64_t value) const {
    if (value > MaxFragSizeSupported()) return MaxFragSizeSupported();
    if (value < MinFragSizeSupported()) return MinFragSizeSupported();
    return value;
}

void ActiveSplitter::SetFragmentSize(int64_t& value) {
    value = ClampSize(value);
    fragmentSize_ = value;
    if (!differentSizeAtStart_) fragmentSizeAtStart_ = value;
}

void ActiveSplitter::SetFragmentSizeAtStart(int64_t& value) {
    value = ClampSize(value);
    fragmentSizeAtStart_ = value;
    if (!differentSizeAtStart_) {
        if (listener_) listener_->MultisizeFlagChange(true);
        differentSizeAtStart_ = true;
    }
}

void ActiveSplitter::SetDifferentSizeAtStart(bool value) {
    if (fileFormat_ == aftLegacy) value = false;
    if (!value) fragmentSizeAtStart_ = fragmentSize_;
    if (value != differentSizeAtStart_) {
        if (listener_) listener_->MultisizeFlagChange(value);
        differentSizeAtStart_ = value;
    }
}

void ActiveSplitter::SetFragsNeeded(int32_t& n) {
    if (n < 1) n = 1;
    const int64_t target = n;
    const int64_t total = bigFileLength_ + FirstPieceHeaderLength();
    SetDifferentSizeAtStart(false);

    int64_t size = total / target + 1 + (fileFormat_ == aftTarnwolde ? kPieceRecordBytes : 0);
    SetFragmentSize(size);

    // The search counts without the 16-bit limit: a count past it simply reads as "more than
    // n". The limits stop the search only while the count still misses n.
    auto atLimit = [&](const char*& which) {
        if (CountPieces() == target) return false;
        if (fragmentSize_ == MaxFragSizeSupported()) which = "above the maximum";
        else if (fragmentSize_ == MinFragSizeSupported()) which = "below the minimum";
        else return false;
        return true;
    };
    const char* which = nullptr;
    while (CountPieces() < target) {
        SetFragmentSize(fragmentSize_ - 1);
        if (atLimit(which)) break;
    }
    if (!which) {
        while (CountPieces() > target) {
            SetFragmentSize(fragmentSize_ + 1);
            if (atLimit(which)) break;
        }
    }
    if (which)
        MsgBox(std::string("This would cause the fragment size to go ") + which + " size of " +
                   FormatByteSize(fragmentSize_),
               mb::OKOnly | mb::Critical, "Unable to set fragment size");
}

void ActiveSplitter::SetEncryptionKey(const std::string& key) {
    encryptionKey_ = key;
    SetUseEncryption(true);
}

}  // namespace kb
