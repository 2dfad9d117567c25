#include <gtest/gtest.h>
#include <zlib.h>

#include "app/core/big_file.h"
#include "app/core/fragment_format.h"
#include "app/core/kb_error.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::TempFolder;

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s += static_cast<char>(b);
    return s;
}

Format4Header SampleHeader() {
    Format4Header h;
    h.pieceCount = 3;
    h.storedName = "report.doc";
    h.encryptionId = 0x12345678;
    h.compressionId = 2;
    h.namingTemplate = "%f.%N";
    h.sourceLength = 0x123456789;
    return h;
}

const std::string kExpectedHeader =
    Bytes({36, 0}) + "Tarnwolde Extendable Fragment Format" +
    Bytes({4, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0}) +               // version, reserved
    Bytes({3, 0, 0, 0}) + Bytes({10, 0}) + "report.doc" +      // count, stored name
    Bytes({0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 2, 0, 0, 0}) +  // reserved, encryption, compression
    Bytes({5, 0}) + "%f.%N" +                                  // naming template
    Bytes({0x89, 0x67, 0x45, 0x23, 1, 0, 0, 0});               // source length

class FragmentFormatTest : public ::testing::Test {
protected:
    TempFolder dir;
    void TearDown() override {
        platform::bigfileClose(1);
        platform::bigfileClose(2);
    }
};

TEST_F(FragmentFormatTest, FirstPieceIsWrittenByteForByte) {
    const Format4Header h = SampleHeader();
    const int64_t H = FirstPieceHeaderSize(h.storedName, h.namingTemplate);
    EXPECT_EQ(H, 93);
    EXPECT_EQ(FirstPieceHeaderSize("", "%f.%N"), 83);
    EXPECT_EQ(EncodeCommonHeader({}).size(), 50u);

    const std::string data = "piece data";
    const std::string p = dir.File("report.001");
    OpenBF(p, 2, "wb");
    WriteFragmentHeader(2, {}, h);
    EXPECT_EQ(GetPosBF(2), H);
    bigfileWrite(kPieceRecordPlaceholder, kPieceRecordSize, 2);
    bigfileWrite(data.data(), static_cast<int32_t>(data.size()), 2);
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    SetPosBF(2, H);
    WritePieceRecord(2, {1, 3, crc});
    CloseBF(2);

    std::string record = Bytes({1, 0, 0, 0, 3, 0, 0, 0});
    for (int i = 0; i < 4; ++i) record += static_cast<char>((crc >> (8 * i)) & 0xFF);
    EXPECT_EQ(ReadAll(p), kExpectedHeader + record + data);

    OpenBF(p, 1, "rb");
    const FragmentCommonHeader c = ReadCommonHeader(1);
    EXPECT_EQ(c.magic, kFragmentMagic);
    EXPECT_EQ(c.version, 4);
    const Format4Header r = ReadFormat4Header(1);
    EXPECT_EQ(r.pieceCount, 3);
    EXPECT_EQ(r.storedName, "report.doc");
    EXPECT_EQ(r.encryptionId, 0x12345678);
    EXPECT_EQ(r.compressionId, 2);
    EXPECT_EQ(r.namingTemplate, "%f.%N");
    EXPECT_EQ(r.sourceLength, 0x123456789);
    const PieceRecord pr = ReadPieceRecord(1);
    EXPECT_EQ(pr.pieceNumber, 1);
    EXPECT_EQ(pr.pieceCount, 3);
    EXPECT_EQ(pr.crc, crc);
}

TEST_F(FragmentFormatTest, SignedFieldsKeepTheirBits) {
    EXPECT_EQ(EncodePieceRecord({-1, 32767, 0xFFFFFFFFu}),
              Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    Format4Header h;
    h.sourceLength = -2;
    const std::string e = EncodeFormat4Header(h);
    EXPECT_EQ(e.size(), 28u);
    EXPECT_EQ(e.substr(20), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    h.storedName.assign(32768, 'n');
    EXPECT_THROW(EncodeFormat4Header(h), KbError);
}

TEST_F(FragmentFormatTest, TruncatedHeadersRaiseInsteadOfReadingOn) {
    // Every cut of the header, including cuts inside the texts, gives error 57.
    for (size_t cut = 0; cut < kExpectedHeader.size(); ++cut) {
        OpenBF(dir.Write("cut", kExpectedHeader.substr(0, cut)), 1, "rb");
        try {
            ReadCommonHeader(1);
            ReadFormat4Header(1);
            ADD_FAILURE() << "no error at cut " << cut;
        } catch (const KbError& e) {
            EXPECT_EQ(e.Number(), err::DeviceIO) << cut;
        }
    }
    OpenBF(dir.Write("short", "12345678901"), 1, "rb");
    EXPECT_THROW(ReadPieceRecord(1), KbError);

    // Stored name claiming the most bytes a length can say, in a file of a few bytes; and a
    // negative length.
    for (const std::string& len : {Bytes({0xFF, 0x7F}), Bytes({0x00, 0x80})}) {
        OpenBF(dir.Write("bad", Bytes({3, 0, 0, 0}) + len + "abc"), 1, "rb");
        try {
            ReadFormat4Header(1);
            ADD_FAILURE() << "no error";
        } catch (const KbError& e) {
            EXPECT_EQ(e.Number(), err::DeviceIO);
            EXPECT_EQ(e.Source(), "ReadStringBF");
        }
    }
}

TEST_F(FragmentFormatTest, FailedRecordWriteRaises) {
    OpenBF(dir.Write("ro", "x"), 2, "rb");  // a reading slot refuses writes
    try {
        WritePieceRecord(2, {1, 1, 0});
        ADD_FAILURE() << "no error";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::DeviceIO);
        EXPECT_EQ(e.Source(), "WritePieceRecord");
        EXPECT_EQ(e.Description(), "Unable to write to file.");
    }
    EXPECT_THROW(WriteFragmentHeader(2, {}, SampleHeader()), KbError);
}

}  // namespace
}  // namespace kb
