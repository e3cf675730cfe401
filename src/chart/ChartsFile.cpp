#include "chart/ChartsFile.h"

#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "database/ByteOrder.h"
#include "platform/FileUtil.h"

namespace velmora {

namespace {

constexpr char kMagic[] = "TARVCHR2";

// Reads big-endian words and length-prefixed texts from a byte image without passing its end.
class Reader {
  public:
    explicit Reader(const Bytes& bytes) : bytes_(bytes) {}
    bool Word(std::uint32_t& out) {
        if (bytes_.size() - pos_ < 4) return false;
        out = GetU32BE(&bytes_[pos_]);
        pos_ += 4;
        return true;
    }
    bool Text(std::string& out) {
        std::uint32_t length = 0;
        if (!Word(length) || bytes_.size() - pos_ < length) return false;
        out.assign(reinterpret_cast<const char*>(bytes_.data()) + pos_, length);
        pos_ += length;
        return true;
    }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    void Seek(std::size_t pos) { pos_ = pos; }

  private:
    const Bytes& bytes_;
    std::size_t pos_ = 0;
};

void AppendWord(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    PutU32BE(b, v);
    out.insert(out.end(), b, b + 4);
}

void AppendText(std::vector<std::uint8_t>& out, std::string_view text) {
    AppendWord(out, static_cast<std::uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

namespace {

Status Damaged(const std::filesystem::path& path, std::string reason) {
    return Status::FileError("cannot read the charts file", path, std::move(reason),
                             StatusCode::Corrupt);
}

// Reads the file over the table's definitions; `anything` says whether its header was read
// (and with it the definitions before any damage).
Status ReadCharts(ChartTable& table, const std::filesystem::path& path, bool& anything) {
    anything = false;
    const Result<Bytes> file = ReadFile(path, FileKind::Charts);
    if (!file) return file.GetStatus();
    if (file->size() < 8 || std::memcmp(file->data(), kMagic, 7) != 0) {
        return Damaged(path, "not a charts file");
    }
    const char version = static_cast<char>((*file)[7]);
    const bool current = version == '2';
    Reader in(*file);
    in.Seek(8);
    std::uint32_t count = 0;
    if (!in.Word(count)) return Damaged(path, "cut short before its count of definitions");
    anything = true;

    std::uint32_t read = 0;
    for (; read < count && !in.AtEnd(); ++read) {
        // The entry is taken whole or not at all: a file cut short inside an entry leaves
        // that definition as it was.
        std::uint32_t id = 0;
        std::uint32_t fixed[10] = {};
        const int fixedWords = current ? 10 : 7;
        std::string name;
        std::string formula;
        bool complete = in.Word(id);
        for (int i = 0; i < fixedWords && complete; ++i) complete = in.Word(fixed[i]);
        complete = complete && in.Text(name) && in.Text(formula);
        if (!complete) break;

        ChartDefinition* d = table.FindById(static_cast<std::int32_t>(id));
        if (d == nullptr) continue;  // unknown id: skipped whole
        d->gridFlags = static_cast<std::int32_t>(fixed[0]);
        d->scaleMin = std::bit_cast<float>(fixed[1]);
        d->scaleMax = std::bit_cast<float>(fixed[2]);
        for (int i = 0; i < 4; ++i) d->reserved[i] = static_cast<std::int32_t>(fixed[3 + i]);
        if (version == 'T' && d->scaleMin == d->scaleMax) d->scaleFlags |= kAutomaticScaling;
        if (current) {
            d->scaleFlags = fixed[7];
            d->reserved2[0] = static_cast<std::int32_t>(fixed[8]);
            d->reserved2[1] = static_cast<std::int32_t>(fixed[9]);
        }
        d->SetName(name);
        if (formula.empty())
            d->formula.reset();
        else
            d->formula = std::move(formula);
    }
    if (read < count) {
        return Damaged(path, "cut short after " + std::to_string(read) + " of its " +
                                 std::to_string(count) + " definitions");
    }
    return Status::Ok();
}

}  // namespace

bool ReadChartsFile(ChartTable& table, const std::filesystem::path& path) {
    bool anything = false;
    ReadCharts(table, path, anything).IgnoreError();
    return anything;
}

Status LoadChartsFile(ChartTable& table, const std::filesystem::path& path) {
    bool anything = false;
    Status read = ReadCharts(table, path, anything);
    if (read.Code() == StatusCode::NotFound) return Status::Ok();
    return read;
}

std::vector<std::uint8_t> ChartsFileImage(const ChartTable& table) {
    std::vector<std::uint8_t> out(kMagic, kMagic + 8);
    std::uint32_t count = 0;
    for (const ChartDefinition& d : table.Rows()) count += d.id >= kFirstCustomChartId;
    AppendWord(out, count);
    for (const ChartDefinition& d : table.Rows()) {
        if (d.id < kFirstCustomChartId) continue;
        AppendWord(out, static_cast<std::uint32_t>(d.id));
        AppendWord(out, static_cast<std::uint32_t>(d.gridFlags));
        AppendWord(out, std::bit_cast<std::uint32_t>(d.scaleMin));
        AppendWord(out, std::bit_cast<std::uint32_t>(d.scaleMax));
        for (std::int32_t w : d.reserved) AppendWord(out, static_cast<std::uint32_t>(w));
        AppendWord(out, d.scaleFlags);
        for (std::int32_t w : d.reserved2) AppendWord(out, static_cast<std::uint32_t>(w));
        AppendText(out, d.name);
        AppendText(out, d.formula ? std::string_view(*d.formula) : std::string_view());
    }
    return out;
}

Status WriteChartsFile(const ChartTable& table, const std::filesystem::path& path, FileSystem& fs) {
    const std::vector<std::uint8_t> image = ChartsFileImage(table);
    return WriteFileAtomically(path, image.data(), image.size(), fs);
}

Status SaveChartsFile(const ChartTable& table, const std::filesystem::path& path,
                      const Status& loaded, bool replaceDamaged, FileSystem& fs) {
    if (!loaded) {
        if (!replaceDamaged) {
            return Status::FileError("not replacing the charts file", path,
                                     "it could not be read when it was loaded",
                                     StatusCode::Corrupt);
        }
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
            const Result<std::filesystem::path> kept = KeepOldFile(path, ".bak");
            if (!kept) return kept.GetStatus();
        }
    }
    return WriteChartsFile(table, path, fs);
}

}  // namespace velmora
