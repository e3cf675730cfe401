#include "platform/IniSettingsStore.h"

#include <algorithm>
#include <system_error>

#include "platform/FileUtil.h"
#include "platform/NoCase.h"

namespace velmora {

namespace {

// `special` holds the extra characters escaped in this position ('=' in names, ']' in
// section headers).
std::string Escape(std::string_view text, std::string_view special) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (special.find(c) != std::string_view::npos) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

// The position of the first `c` not preceded by an escaping backslash, or npos.
std::size_t FindUnescaped(std::string_view text, char c) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether `text` ends with an odd number of backslashes (the next character is escaped).
bool EndsEscaped(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && text[text.size() - 1 - n] == '\\') ++n;
    return n % 2 == 1;
}

// A name as written: escaped, with a leading or trailing blank escaped too (the reader trims
// unescaped blanks around names), and a first character that would make the line read as a
// comment or a header escaped.
std::string EscapeName(std::string_view name) {
    std::string out = Escape(name, "=");
    if (!out.empty() && IsBlank(out.back())) out.insert(out.size() - 1, 1, '\\');
    if (!out.empty() && (out[0] == ';' || out[0] == '#' || out[0] == '[' || IsBlank(out[0]))) {
        out.insert(0, 1, '\\');
    }
    return out;
}

// The line of `text` that starts at `pos`, without its line break and a carriage return before
// it; `pos` moves to the next line.
std::string_view NextLine(std::string_view text, std::size_t& pos) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Whether the text can be a settings file: blank, or holding at least one section header or
// comment line. Values outside any section belong nowhere and other lines are skipped, so a
// text with neither (random bytes, a file of another kind) holds no settings at all; beside a
// header, unknown or damaged lines are skipped as always.
bool HoldsSettings(std::string_view text) {
    bool blank = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string_view line = NextLine(text, pos);
        while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r'))
            line.remove_suffix(1);
        if (line.empty()) continue;
        blank = false;
        if (line[0] == ';' || line[0] == '#') return true;
        if (line[0] == '[' && FindUnescaped(line.substr(1), ']') != std::string_view::npos) {
            return true;
        }
    }
    return blank;
}

}  // namespace

IniSettingsStore::IniSettingsStore(std::filesystem::path file, bool writeBack, FileSystem& fs)
    : file_(std::move(file)), writeBack_(writeBack), fs_(&fs) {
    Result<std::string> text = ReadTextFile(file_, FileKind::Settings);
    if (!text) {
        if (text.GetStatus().Code() != StatusCode::NotFound) loadStatus_ = text.GetStatus();
    } else if (!HoldsSettings(*text)) {
        loadStatus_ = Status::FileError("cannot read the settings file", file_,
                                        "not a settings file", StatusCode::Corrupt);
    } else {
        Parse(*text);
    }
}

void IniSettingsStore::Parse(std::string_view text) {
    sections_.clear();
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::string_view line = NextLine(text, pos);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const std::size_t close = FindUnescaped(line.substr(1), ']');
            if (close == std::string_view::npos) {
                current = nullptr;  // a damaged header: its values belong nowhere
                continue;
            }
            const std::string name = Unescape(line.substr(1, close));
            current = FindSection(name);
            if (current == nullptr) {
                sections_.push_back({name, {}});
                current = &sections_.back();
            }
            continue;
        }
        const std::size_t eq = FindUnescaped(line, '=');
        if (current == nullptr || eq == std::string_view::npos) continue;
        std::string_view rawName = line.substr(0, eq);
        while (!rawName.empty() && IsBlank(rawName.front())) rawName.remove_prefix(1);
        // A blank after an escaping backslash belongs to the name.
        while (!rawName.empty() && IsBlank(rawName.back()) &&
               !EndsEscaped(rawName.substr(0, rawName.size() - 1))) {
            rawName.remove_suffix(1);
        }
        const std::string name = Unescape(rawName);
        const std::string value = Unescape(line.substr(eq + 1));
        auto it = std::find_if(current->entries.begin(), current->entries.end(),
                               [&](const Entry& e) { return EqualNoCase(e.name, name); });
        if (it != current->entries.end()) {
            it->value = value;  // the last of repeated names wins
        } else {
            current->entries.push_back({name, value});
        }
    }
}

std::string IniSettingsStore::Serialize() const {
    std::string out;
    for (const Section& s : sections_) {
        if (s.entries.empty()) continue;
        if (!out.empty()) out += '\n';
        out += '[' + Escape(s.name, "]") + "]\n";
        for (const Entry& e : s.entries) {
            out += EscapeName(e.name) + '=' + Escape(e.value, "") + '\n';
        }
    }
    return out;
}

IniSettingsStore::Section* IniSettingsStore::FindSection(std::string_view name) {
    for (Section& s : sections_) {
        if (EqualNoCase(s.name, name)) return &s;
    }
    return nullptr;
}

const IniSettingsStore::Section* IniSettingsStore::FindSection(std::string_view name) const {
    for (const Section& s : sections_) {
        if (EqualNoCase(s.name, name)) return &s;
    }
    return nullptr;
}

std::optional<std::string> IniSettingsStore::GetString(std::string_view section,
                                                       std::string_view name) const {
    const Section* s = FindSection(section);
    if (s == nullptr) return std::nullopt;
    for (const Entry& e : s->entries) {
        if (EqualNoCase(e.name, name)) return e.value;
    }
    return std::nullopt;
}

void IniSettingsStore::SetString(std::string_view section, std::string_view name,
                                 std::string_view value) {
    Section* s = FindSection(section);
    if (s == nullptr) {
        sections_.push_back({std::string(section), {}});
        s = &sections_.back();
    }
    auto it = std::find_if(s->entries.begin(), s->entries.end(),
                           [&](const Entry& e) { return EqualNoCase(e.name, name); });
    if (it != s->entries.end()) {
        if (it->value == value) return;
        it->value = std::string(value);
    } else {
        s->entries.push_back({std::string(name), std::string(value)});
    }
    Save();
}

void IniSettingsStore::Remove(std::string_view section, std::string_view name) {
    Section* s = FindSection(section);
    if (s == nullptr) return;
    auto it = std::find_if(s->entries.begin(), s->entries.end(),
                           [&](const Entry& e) { return EqualNoCase(e.name, name); });
    if (it == s->entries.end()) return;
    s->entries.erase(it);
    Save();
}

bool IniSettingsStore::MayReplaceDamaged() {
    if (loadStatus_.IsOk()) return true;
    if (!replaceDamaged_ && !declined_ && confirmReplace_) {
        replaceDamaged_ = confirmReplace_(loadStatus_);
        declined_ = !replaceDamaged_;
    }
    if (!replaceDamaged_) {
        lastSave_ =
            Status::FileError("not replacing the settings file", file_,
                              "it could not be read when it was loaded", StatusCode::Corrupt);
        return false;
    }
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(file_, ec))) {
        const Result<std::filesystem::path> kept = KeepOldFile(file_, ".bak");
        if (!kept) {
            lastSave_ = kept.GetStatus();
            return false;
        }
    }
    loadStatus_ = Status::Ok();
    return true;
}

void IniSettingsStore::Save() {
    if (!writeBack_ || !MayReplaceDamaged()) return;
    lastSave_ = WriteFileAtomically(file_, Serialize(), *fs_);
}

}  // namespace velmora
