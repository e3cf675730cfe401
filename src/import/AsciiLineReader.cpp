#include "import/AsciiLineReader.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace velmora::ascii {

namespace {

constexpr std::size_t kChunkLines = 512;  // lines a thread decodes at a time

// The line without its leading blanks when the interpreter may take it for a data line, else
// empty: blank lines, comments and commands are not. Lines beginning with '$' are left to the
// interpreter (a command, or a ticker like "$ABC").
std::string_view DataLineText(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    text.remove_prefix(start);
    if (text.empty()) return {};
    const char c = text[0];
    return c != ';' && c != '*' && c != '#' && c != '$' ? text : std::string_view();
}

}  // namespace

bool LineReader::NextAcrossRefill(Line& line) {
    std::string& text = line.storage;
    text.clear();
    bool any = false;
    std::size_t length = 0;
    for (;;) {
        if (pos_ == size_ && !Refill()) break;
        const char* p = buffer_.data() + pos_;
        const std::size_t n = size_ - pos_;
        const void* nl = std::memchr(p, '\n', n);
        const std::size_t take =
            nl != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nl) - p) : n;
        any = true;
        if (!line.hasNul && std::memchr(p, 0, take) != nullptr) line.hasNul = true;
        const std::size_t room = kMaxLine + 2 - std::min(text.size(), kMaxLine + 2);
        text.append(p, std::min(take, room));
        length += take;
        pos_ += take;
        consumed_ += take;
        if (nl != nullptr) {
            ++pos_;
            ++consumed_;
            break;
        }
    }
    if (!any) return false;
    Finish(line, text, length);
    return true;
}

void LineReader::Finish(Line& line, std::string_view kept, std::size_t length) {
    line.number = ++lines_;
    kept = kept.substr(0, kMaxLine + 2);
    // A carriage return before the line end belongs to the line end.
    if (length > 0 && kept.size() == length && kept.back() == '\r') {
        kept.remove_suffix(1);
        --length;
    }
    if (length > kMaxLine) line.tooLong = true;
    line.text = kept.substr(0, kMaxLine + 1);
}

bool LineReader::Refill() {
    if (std::feof(file_) || std::ferror(file_)) return false;
    const bool first = consumed_ == 0 && size_ == 0;
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    pos_ = 0;
    // One search of the buffer spares one per line.
    nulFree_ = std::memchr(buffer_.data(), 0, size_) == nullptr;
    // A byte-order mark at the start of the file is not part of the first line.
    if (first && size_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) {
        pos_ = consumed_ = 3;
    }
    return pos_ < size_;
}

void LineBatch::Prepare(std::span<const Field> format, char separatorChar, std::uint64_t version) {
    StopDecoding();
    text.clear();
    entries.clear();
    fields.assign(format.begin(), format.end());
    separator = separatorChar;
    formatVersion = version;
}

void LineBatch::StopDecoding() {
    helpers_.clear();
    if (!done_) return;
    for (std::size_t i = 0; i < kLines; ++i) done_[i].store(0, std::memory_order_relaxed);
    nextChunk_.store(0, std::memory_order_relaxed);
    reached_.store(0, std::memory_order_relaxed);
}

void LineBatch::StartDecoding(int threads) {
    // An APPENDTICKER field extends the ticker of the line before.
    if (threads <= 0 ||
        std::find(fields.begin(), fields.end(), Field::AppendTicker) != fields.end()) {
        return;
    }
    if (!done_) {
        decoded_.resize(kLines);
        done_ = std::make_unique<std::atomic<std::uint8_t>[]>(kLines);
    }
    try {
        for (int t = 0; t < threads; ++t) helpers_.emplace_back([this] { Decode(); });
    } catch (const std::system_error&) {
        // Fewer helpers, or none: the interpreter decodes the rest.
    }
}

void LineBatch::Decode() {
    const std::size_t count = entries.size();
    for (std::size_t chunk = nextChunk_++; chunk * kChunkLines < count; chunk = nextChunk_++) {
        const std::size_t end = std::min(count, (chunk + 1) * kChunkLines);
        for (std::size_t i = chunk * kChunkLines; i < end; ++i) {
            if (i < reached_.load(std::memory_order_relaxed)) continue;
            const Entry& e = entries[i];
            if (e.tooLong || e.hasNul) continue;
            const std::string_view line = DataLineText(Text(e));
            if (line.empty()) continue;
            decoded_[i] = DecodeFields(line, fields, separator, {});
            done_[i].store(1, std::memory_order_release);
        }
    }
}

bool FillBatch(LineReader& reader, LineBatch& batch) {
    LineReader::Line line;
    while (batch.entries.size() < LineBatch::kLines && reader.Next(line)) {
        LineBatch::Entry& e = batch.entries.emplace_back();
        e.offset = batch.text.size();
        e.length = line.text.size();
        e.number = line.number;
        e.tooLong = line.tooLong;
        e.hasNul = line.hasNul;
        e.consumed = reader.Consumed();
        batch.text.append(line.text);
    }
    return !batch.entries.empty();
}

}  // namespace velmora::ascii
