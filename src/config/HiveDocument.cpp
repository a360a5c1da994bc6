#include "config/HiveDocument.h"

#include <unordered_set>
#include <utility>

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

char FoldChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = FoldChar(c);
    }
    return folded;
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldChar(a[i]) != FoldChar(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One to eight hex digits and nothing else.
bool ParseHexNumber(std::string_view digits, std::uint32_t& value) {
    if (digits.empty() || digits.size() > 8) {
        return false;
    }
    value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) {
            return false;
        }
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return true;
}

void AppendUtf8(std::uint32_t codePoint, std::string& out) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool DecodeUtf16Le(std::string_view bytes, std::string& text) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    text.reserve(bytes.size());
    const auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (unit == 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) {
            return false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= bytes.size()) {
                return false;
            }
            const std::uint32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), text);
            i += 2;
        } else {
            AppendUtf8(unit, text);
        }
    }
    return true;
}

bool DecodeFile(std::string_view file, std::string& text) {
    if (file.size() >= 2 && static_cast<unsigned char>(file[0]) == 0xFF &&
        static_cast<unsigned char>(file[1]) == 0xFE) {
        return DecodeUtf16Le(file.substr(2), text);
    }
    if (file.size() >= 3 && file.substr(0, 3) == "\xEF\xBB\xBF") {
        file.remove_prefix(3);
    }
    if (file.find('\0') != std::string_view::npos) {
        return false;
    }
    text.assign(file);
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

// A quoted name or text starting at s[pos] == '"'; leaves pos after the closing quote.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    ++pos;
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\') {
            if (pos + 1 >= s.size() || (s[pos + 1] != '\\' && s[pos + 1] != '"')) {
                return false;
            }
            out += s[pos + 1];
            pos += 2;
        } else {
            out += c;
            ++pos;
        }
    }
    return false;
}

bool ParseByteList(std::string_view list, std::vector<std::uint8_t>& out) {
    if (Trim(list).empty()) {
        return true;
    }
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view token = Trim(list.substr(0, comma));
        if (token.empty() || token.size() > 2) {
            return false;
        }
        std::uint32_t byte = 0;
        if (!ParseHexNumber(token, byte)) {
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(byte));
        if (comma == std::string_view::npos) {
            return true;
        }
        list.remove_prefix(comma + 1);
    }
}

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

bool WritableAsText(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') {
            return false;
        }
    }
    return true;
}

// A value line, with the hex continuation lines after it; i is left on the last line used.
bool ParseValueLines(const std::vector<std::string_view>& lines, std::size_t& i,
                     HiveDocument::Value& value, std::string& raw) {
    const std::string_view line = TrimLeft(lines[i]);
    raw.assign(lines[i]);
    std::size_t pos = 0;
    if (line[0] == '@') {
        pos = 1;
    } else if (!ParseQuoted(line, pos, value.name)) {
        return false;
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest.front() != '=') {
        return false;
    }
    rest = TrimLeft(rest.substr(1));

    if (!rest.empty() && rest.front() == '"') {
        std::size_t textPos = 0;
        std::string text;
        if (!ParseQuoted(rest, textPos, text) || !Trim(rest.substr(textPos)).empty()) {
            return false;
        }
        value.type = 1;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return true;
    }
    if (StartsWithFolded(rest, "dword:")) {
        std::uint32_t number = 0;
        if (!ParseHexNumber(TrimRight(rest.substr(6)), number)) {
            return false;
        }
        value.type = 4;
        value.data = {static_cast<std::uint8_t>(number & 0xFF),
                      static_cast<std::uint8_t>((number >> 8) & 0xFF),
                      static_cast<std::uint8_t>((number >> 16) & 0xFF),
                      static_cast<std::uint8_t>((number >> 24) & 0xFF)};
        return true;
    }
    if (!StartsWithFolded(rest, "hex")) {
        return false;
    }
    rest.remove_prefix(3);
    value.type = 3;
    if (!rest.empty() && rest.front() == '(') {
        const std::size_t close = rest.find(')');
        if (close == std::string_view::npos ||
            !ParseHexNumber(rest.substr(1, close - 1), value.type)) {
            return false;
        }
        rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') {
        return false;
    }
    std::string list(rest.substr(1));
    while (true) {
        const std::string_view trimmed = TrimRight(list);
        if (trimmed.empty() || trimmed.back() != '\\') {
            break;
        }
        if (i + 1 >= lines.size()) {
            return false;
        }
        list.resize(trimmed.size() - 1);
        ++i;
        raw += kLineEnd;
        raw += lines[i];
        list += TrimLeft(lines[i]);
    }
    return ParseByteList(list, value.data);
}

} // namespace

std::string HiveDocument::Fold(std::string_view path) {
    std::string folded;
    folded.reserve(path.size());
    while (!path.empty()) {
        const std::size_t sep = path.find('\\');
        const std::string_view part = path.substr(0, sep);
        if (!part.empty()) {
            if (!folded.empty()) {
                folded += '\\';
            }
            folded += FoldName(part);
        }
        if (sep == std::string_view::npos) {
            break;
        }
        path.remove_prefix(sep + 1);
    }
    return folded;
}

bool HiveDocument::Parse(std::string_view file, HiveDocument& out, ParseError* error) {
    const auto fail = [error](std::size_t line, const char* reason) {
        if (error != nullptr) {
            error->line = line;
            error->reason = reason;
        }
        return false;
    };
    if (file.size() > kMaxFileBytes) {
        return fail(0, "larger than 16 MB");
    }
    std::string text;
    if (!DecodeFile(file, text)) {
        return fail(0, "not UTF-8 or UTF-16 LE text, or a zero byte in it");
    }
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty() || TrimRight(lines[0]) != kHeader) {
        return fail(1, "the first line is not \"Windows Registry Editor Version 5.00\"");
    }

    HiveDocument doc;
    std::unordered_set<std::string> keyNames;
    std::unordered_set<std::string> valueNames;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view trimmed = Trim(lines[i]);
        if (trimmed.empty() || trimmed.front() == ';') {
            Entry trivia;
            trivia.raw.assign(lines[i]);
            (doc.m_sections.empty() ? doc.m_preamble : doc.m_sections.back().entries)
                .push_back(std::move(trivia));
            continue;
        }
        if (trimmed.front() == '[') {
            if (trimmed.size() < 3 || trimmed.back() != ']' || trimmed[1] == '-') {
                return fail(i + 1, "a key line that is not [KEY]");
            }
            Section section;
            section.raw.assign(lines[i]);
            section.folded = Fold(trimmed.substr(1, trimmed.size() - 2));
            if (section.folded.empty()) {
                return fail(i + 1, "a key without a name");
            }
            if (!keyNames.insert(section.folded).second) {
                return fail(i + 1, "the same key a second time");
            }
            doc.m_sections.push_back(std::move(section));
            valueNames.clear();
            continue;
        }
        if (doc.m_sections.empty()) {
            return fail(i + 1, "a line before the first key");
        }
        if (trimmed.front() != '"' && trimmed.front() != '@') {
            return fail(i + 1, "neither a key, a value, a comment nor blank");
        }
        const std::size_t first = i + 1;
        Entry entry;
        entry.isValue = true;
        if (!ParseValueLines(lines, i, entry.value, entry.raw)) {
            return fail(first, "a value that cannot be read");
        }
        if (!valueNames.insert(FoldName(entry.value.name)).second) {
            return fail(first, "the same value name a second time in its key");
        }
        doc.m_sections.back().entries.push_back(std::move(entry));
    }
    out = std::move(doc);
    return true;
}

std::string HiveDocument::Serialize() const {
    std::string out;
    out += kHeader;
    out += kLineEnd;
    for (const Entry& entry : m_preamble) {
        out += entry.raw;
        out += kLineEnd;
    }
    for (const Section& section : m_sections) {
        out += section.raw;
        out += kLineEnd;
        for (const Entry& entry : section.entries) {
            out += entry.raw;
            out += kLineEnd;
        }
    }
    return out;
}

std::string HiveDocument::FormatValue(const Value& value) {
    std::string line = value.name.empty() ? std::string("@") : '"' + Escape(value.name) + '"';
    line += '=';
    if (value.type == 1 && WritableAsText(value.data)) {
        const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                    value.data.size() - 1);
        return line + '"' + Escape(text) + '"';
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    if (value.type == 4 && value.data.size() == 4) {
        line += "dword:";
        for (int i = 3; i >= 0; --i) {
            line += kDigits[value.data[static_cast<std::size_t>(i)] >> 4];
            line += kDigits[value.data[static_cast<std::size_t>(i)] & 0x0F];
        }
        return line;
    }
    if (value.type == 3) {
        line += "hex:";
    } else {
        std::string typeDigits;
        for (std::uint32_t t = value.type; t != 0 || typeDigits.empty(); t >>= 4) {
            typeDigits.insert(typeDigits.begin(), kDigits[t & 0x0F]);
        }
        line += "hex(" + typeDigits + "):";
    }
    // Wrapped as the registry editor does, so long values stay readable in an editor.
    std::string text;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        line += kDigits[value.data[i] >> 4];
        line += kDigits[value.data[i] & 0x0F];
        if (i + 1 < value.data.size()) {
            line += ',';
            if (line.size() >= 76) {
                text += line;
                text += '\\';
                text += kLineEnd;
                line = "  ";
            }
        }
    }
    return text + line;
}

const HiveDocument::Section* HiveDocument::FindSection(const std::string& folded) const {
    for (const Section& section : m_sections) {
        if (section.folded == folded) {
            return &section;
        }
    }
    return nullptr;
}

HiveDocument::Section* HiveDocument::FindSection(const std::string& folded) {
    return const_cast<Section*>(std::as_const(*this).FindSection(folded));
}

bool HiveDocument::KeyExists(std::string_view path) const {
    const std::string folded = Fold(path);
    if (folded.empty()) {
        return false;
    }
    if (folded.find('\\') == std::string::npos) {
        return true; // a root
    }
    const std::string below = folded + '\\';
    for (const Section& section : m_sections) {
        if (section.folded == folded || section.folded.starts_with(below)) {
            return true;
        }
    }
    return false;
}

HiveDocument::Section& HiveDocument::AppendSection(std::string_view path) {
    std::vector<Entry>& before = m_sections.empty() ? m_preamble : m_sections.back().entries;
    if (before.empty() || !Trim(before.back().raw).empty()) {
        before.push_back(Entry{});
    }
    Section section;
    section.raw = "[" + std::string(path) + "]";
    section.folded = Fold(path);
    section.entries.push_back(Entry{});
    m_sections.push_back(std::move(section));
    return m_sections.back();
}

bool HiveDocument::CreateKey(std::string_view path) {
    if (FindSection(Fold(path)) != nullptr) {
        return false;
    }
    AppendSection(path);
    return true;
}

const HiveDocument::Value* HiveDocument::FindValue(std::string_view path,
                                                   std::string_view name) const {
    const Section* section = FindSection(Fold(path));
    if (section == nullptr) {
        return nullptr;
    }
    for (const Entry& entry : section->entries) {
        if (entry.isValue && NamesEqual(entry.value.name, name)) {
            return &entry.value;
        }
    }
    return nullptr;
}

HiveDocument::SetOutcome HiveDocument::SetValue(std::string_view path, const Value& value) {
    Section* section = FindSection(Fold(path));
    if (section == nullptr) {
        if (!KeyExists(path)) {
            return SetOutcome::NoSuchKey;
        }
        section = &AppendSection(path);
    }
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < section->entries.size(); ++i) {
        Entry& entry = section->entries[i];
        if (!entry.isValue) {
            continue;
        }
        if (NamesEqual(entry.value.name, value.name)) {
            if (entry.value.type == value.type && entry.value.data == value.data) {
                return SetOutcome::Unchanged;
            }
            // The registry keeps a value's name as first written.
            entry.value.type = value.type;
            entry.value.data = value.data;
            entry.raw = FormatValue(entry.value);
            return SetOutcome::Changed;
        }
        insertAt = i + 1;
    }
    Entry entry;
    entry.isValue = true;
    entry.value = value;
    entry.raw = FormatValue(value);
    section->entries.insert(section->entries.begin() + static_cast<std::ptrdiff_t>(insertAt),
                            std::move(entry));
    return SetOutcome::Changed;
}
