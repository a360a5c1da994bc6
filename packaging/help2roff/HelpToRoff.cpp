#include "HelpToRoff.h"

#include <cstddef>
#include <cstdio>

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line.push_back(c == '\t' ? ' ' : c);
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) {
        lines.pop_back();
    }
    return lines;
}

std::size_t IndentOf(const std::string& line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

bool IsBlank(const std::string& line) {
    return IndentOf(line) == line.size();
}

std::string Trimmed(const std::string& line) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The text after "Usage:" when the line starts the synopsis; empty when it does not.
bool SynopsisStart(const std::string& line, std::string& rest) {
    const std::string trimmed = Trimmed(line);
    const std::string lower = Lower(trimmed);
    for (const char* word : {"usage:", "uso:"}) {
        const std::string prefix = word;
        if (lower.compare(0, prefix.size(), prefix) == 0) {
            rest = Trimmed(trimmed.substr(prefix.size()));
            return true;
        }
    }
    return false;
}

// An indented "term  description" line: the term runs to the first double space.
bool SplitTerm(const std::string& line, std::string& term, std::string& description) {
    const std::size_t indent = IndentOf(line);
    if (indent == 0 || indent == line.size()) {
        return false;
    }
    const std::size_t gap = line.find("  ", indent);
    if (gap == std::string::npos) {
        return false;
    }
    term = line.substr(indent, gap - indent);
    description = Trimmed(line.substr(gap));
    return !description.empty();
}

bool IsHeading(const std::vector<std::string>& lines, std::size_t i) {
    const std::string& line = lines[i];
    if (IndentOf(line) != 0 || line.back() != ':' || line.size() > 100) {
        return false;
    }
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
        if (!IsBlank(lines[j])) {
            return IndentOf(lines[j]) > 0;
        }
    }
    return false;
}

void AppendCodePoint(std::string& out, unsigned long code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\[u%04lX]", code);
    out += buffer;
}

class BodyWriter {
public:
    explicit BodyWriter(std::string& out) : m_out(out) {}

    void Blank() {
        EndVerbatim();
        if (m_state != State::Start && m_state != State::Paragraph) {
            m_state = State::Paragraph;
            m_pendingParagraph = true;
        }
    }

    void Heading(const std::string& text) {
        EndVerbatim();
        m_pendingParagraph = false;
        m_out += ".SS " + HelpToRoff::Escape(text) + "\n";
        m_state = State::Start;
    }

    void Text(const std::string& text) {
        EndVerbatim();
        if (m_pendingParagraph || m_state == State::Item) {
            m_out += ".PP\n";
        }
        m_pendingParagraph = false;
        m_out += HelpToRoff::Escape(text) + "\n";
        m_state = State::Text;
    }

    void Item(std::size_t indent, const std::string& term, const std::string& description) {
        EndVerbatim();
        m_pendingParagraph = false;
        m_out += ".TP\n\\fB" + HelpToRoff::Escape(term) + "\\fR\n";
        m_out += HelpToRoff::Escape(description) + "\n";
        m_state = State::Item;
        m_itemIndent = indent;
    }

    // A line indented deeper than the item above it carries on its description.
    bool Continues(std::size_t indent) const {
        return m_state == State::Item && indent > m_itemIndent;
    }

    void Continuation(const std::string& text) { m_out += HelpToRoff::Escape(text) + "\n"; }

    void Verbatim(const std::string& text) {
        if (m_state != State::Verbatim) {
            if (m_pendingParagraph || m_state == State::Item) {
                m_out += ".PP\n";
            }
            m_pendingParagraph = false;
            m_out += ".RS 4\n.nf\n";
            m_state = State::Verbatim;
        }
        m_out += HelpToRoff::Escape(text) + "\n";
    }

    void Finish() { EndVerbatim(); }

private:
    enum class State { Start, Text, Paragraph, Item, Verbatim };

    void EndVerbatim() {
        if (m_state == State::Verbatim) {
            m_out += ".fi\n.RE\n";
            m_state = State::Text;
            m_pendingParagraph = true;
        }
    }

    std::string& m_out;
    State m_state = State::Start;
    bool m_pendingParagraph = false;
    std::size_t m_itemIndent = 0;
};

} // namespace

std::string HelpToRoff::Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    if (!text.empty() && (text[0] == '.' || text[0] == '\'')) {
        out += "\\&";
    }
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte == '\\') {
                out += "\\e";
            } else if (byte == '-') {
                out += "\\-";
            } else if (byte == '"') {
                out += "\\(dq";
            } else if (byte >= 0x20 && byte != 0x7F) {
                out.push_back(static_cast<char>(byte));
            }
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned long code = 0;
        if ((byte & 0xE0) == 0xC0) {
            length = 2;
            code = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            code = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            code = byte & 0x07;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kSmallest[length] && code <= 0x10FFFF &&
                (code < 0xD800 || code > 0xDFFF);
        if (valid) {
            AppendCodePoint(out, code);
            i += length;
        } else {
            out.push_back('?');
            ++i;
        }
    }
    return out;
}

std::string HelpToRoff::Convert(const Page& page, const std::string& help) {
    const std::vector<std::string> lines = SplitLines(help);

    std::string synopsis;
    std::vector<bool> used(lines.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string rest;
        if (!SynopsisStart(lines[i], rest)) {
            continue;
        }
        synopsis = rest;
        used[i] = true;
        // Continued on indented lines that carry on the options.
        for (std::size_t j = i + 1; j < lines.size() && IndentOf(lines[j]) > 0; ++j) {
            const std::string more = Trimmed(lines[j]);
            if (more.empty() || (more[0] != '[' && more[0] != '-')) {
                break;
            }
            synopsis += " " + more;
            used[j] = true;
        }
        break;
    }

    std::string out;
    out += ".TH " + Escape(Upper(page.name)) + " \"" + Escape(page.section) + "\" \"" +
           Escape(page.date) + "\" \"" + Escape(page.version) + "\" \"" + Escape(page.manual) +
           "\"\n";
    out += ".SH NAME\n" + Escape(page.name) + " \\- " + Escape(page.summary) + "\n";
    out += ".SH SYNOPSIS\n";
    if (synopsis.compare(0, page.name.size(), page.name) == 0 &&
        (synopsis.size() == page.name.size() || synopsis[page.name.size()] == ' ')) {
        synopsis.erase(0, page.name.size());
    }
    out += "\\fB" + Escape(page.name) + "\\fR" + Escape(synopsis) + "\n";
    out += ".SH DESCRIPTION\n";

    BodyWriter body(out);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (used[i]) {
            continue;
        }
        const std::string& line = lines[i];
        const std::size_t indent = IndentOf(line);
        std::string term;
        std::string description;
        if (IsBlank(line)) {
            body.Blank();
        } else if (body.Continues(indent)) {
            body.Continuation(Trimmed(line));
        } else if (IsHeading(lines, i)) {
            body.Heading(line.substr(0, line.size() - 1));
        } else if (indent == 0) {
            body.Text(line);
        } else if (SplitTerm(line, term, description)) {
            body.Item(indent, term, description);
        } else {
            body.Verbatim(Trimmed(line));
        }
    }
    body.Finish();

    if (!page.seeAlso.empty()) {
        out += ".SH SEE ALSO\n";
        for (std::size_t i = 0; i < page.seeAlso.size(); ++i) {
            out += ".BR " + Escape(page.seeAlso[i]) + " (1)" +
                   (i + 1 < page.seeAlso.size() ? "," : "") + "\n";
        }
    }
    return out;
}
