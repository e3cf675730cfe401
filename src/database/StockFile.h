#pragma once
// A stock file: the magic "TARVDAT" with a version character, the stock's header fields, the
// quotations oldest first and the drawn studies, numbers big-endian.
//
//   0   magic (8)          22  header fields FullName..FinanceEAT (398)
//   462 quotation count n  466 n quotation images of 30 bytes
//   then, when bytes remain: study count m and m study records (48 bytes + text; 28 bytes and
//   no text in version '3' files)

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/Stock.h"
#include "platform/FileUtil.h"
#include "platform/Status.h"

namespace velmora {

inline constexpr std::size_t kStockHeaderSize = 466;
inline constexpr std::size_t kStockFieldsOffset = 22;
inline constexpr std::size_t kStockFieldsSize = 398;
inline constexpr std::size_t kStockCountOffset = 462;
inline constexpr std::size_t kQuotationImageSize = 30;
inline constexpr std::size_t kStudyRecordSize = 48;
inline constexpr std::size_t kStudyRecordSizeV3 = 28;
// Files longer than this read only their header first when partial loading is on.
inline constexpr std::size_t kPartialLoadThreshold = 4096;

// The codec that builds the stored image of a stock file and converts its text fields. Texts
// are UTF-8 and stored as they are.
class StockFileCodec {
  public:
    // Size of the image up to the end of `count` quotations.
    static std::size_t ImageSize(std::size_t count) {
        return kStockHeaderSize + kQuotationImageSize * count;
    }
    // Fills bytes 0..ImageSize(k)-1: the magic, the header fields, k at offset 462 and the
    // newest k of the stock's quotations, oldest first. Bytes 8-21 and 420-461 are zero.
    static void Fill(std::uint8_t* out, const Stock& stock, std::size_t k);
    // The text conversion of a loaded field: the identity, making sure the field is terminated.
    template <std::size_t N>
    static void ConvertText(FixedText<N>& field) {
        field.Terminate();
    }
};

// Quotation images.
void DecodeQuotation(const std::uint8_t* p, char version, Quotation& q);
void EncodeQuotation(std::uint8_t* p, const Quotation& q);

// Header fields (offsets 22..419 of the file) into a stock record and back. Decoding applies the
// text conversion, terminates every text field, and undoes the "issue in units" marker of bit 31
// of Flags.
void DecodeStockFields(const std::uint8_t* p, Stock& stock);
void EncodeStockFields(std::uint8_t* p, const Stock& stock);

// The study block (count and records) as written after the quotations.
std::size_t StudyBlockSize(const std::vector<Study>& studies);
void EncodeStudies(std::uint8_t* p, const std::vector<Study>& studies);

struct StockFileOptions {
    bool partial = false;          // partial database loading
    std::int32_t loadUpto = 0;     // quotations kept in memory per stock when partial
    std::int32_t studyColour = 0;  // palette index of the study colour setting
};

struct LoadedStock {
    std::unique_ptr<Stock> stock;
    std::string problem;  // what is wrong with a damaged file
};

// The readers' failures carry the file's path and one of these codes: IoError (cannot be opened
// or read, with the system's reason), BadMagic (no "TARVDAT" magic), NotSupported (the old
// "TARVDAT2" format), Corrupt (counts or records that do not fit the file).
//
// Reads a stock file as the workspace loader does: one read, or with partial loading of a long
// file the header first and then only the newest quotations and the studies.
// `scratch` is a buffer reused from call to call.
Status ReadStockFile(const std::filesystem::path& path, const StockFileOptions& options,
                     LoadedStock& out, Bytes& scratch);
// Every quotation of a stock file, oldest first (loading of older quotations).
Status ReadAllQuotations(const std::filesystem::path& path, QuotationList& out);
// The bytes of the oldest `count` quotation images of a stock file, in stored byte order.
Status ReadKeptQuotationImages(const std::filesystem::path& path, std::size_t count, Bytes& out);
// The whole image of a stock as a save writes it: header, `kept` stored images in front of the
// newest k quotations in memory, studies.
Bytes BuildStockImage(const Stock& stock, std::size_t k, const Bytes& kept);

// The file name of a ticker: each of * ? # | > < / \ becomes '_', and so does a leading '.'.
std::string StockFileName(std::string_view ticker);
// The directory letter of a file name: its first character lower-cased, or '_' when that is not
// an ASCII letter or digit.
char StockDirLetter(std::string_view fileName);
// dir/<letter>/<name>, the letter directory matched without regard to case.
std::filesystem::path StockFilePath(const std::filesystem::path& dir, std::string_view ticker);

}  // namespace velmora
