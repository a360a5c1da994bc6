// Any bytes as a hive file, as a site imports a registry export. A file the parser rejects
// leaves the document it was read into as it was. A file it accepts is written out, read back
// to the same document and written again to the same bytes; so is it after the edits the
// program makes when it saves the farm keys (a changed value, a new value, a new key), and each
// edited value reads back as it was set.

#include "FuzzCheck.h"
#include "config/HiveDocument.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer";

// What a rejected file must leave untouched.
const HiveDocument& Earlier() {
    static const HiveDocument* const doc = [] {
        auto* d = new HiveDocument;
        const bool parsed = HiveDocument::Parse(
            "Windows Registry Editor Version 5.00\r\n\r\n[" + kBase +
                "\\Farm 01]\r\n\"Phone Number\"=\"555 5555\"\r\n\"Serial Port\"=dword:00000001\r\n",
            *d);
        FUZZ_CHECK(parsed);
        return d;
    }();
    return *doc;
}

// write -> read -> write: the same document, then the same bytes.
void CheckRewrite(const HiveDocument& doc) {
    const std::string written = doc.Serialize();
    HiveDocument reread;
    FUZZ_CHECK(HiveDocument::Parse(written, reread));
    FUZZ_CHECK(reread == doc);
    FUZZ_CHECK(reread.Serialize() == written);
}

// A name the hive backend lets through: no line ends and no zero bytes.
std::string Storable(std::string_view bytes) {
    std::string name;
    for (const char c : bytes) {
        if (c != '\r' && c != '\n' && c != '\0') {
            name += c;
        }
    }
    return name;
}

// A key below the base, as the backend joins it: no empty parts.
std::string KeyBelowBase(std::string_view bytes) {
    std::string path = kBase;
    std::string part;
    for (const char c : Storable(bytes) + '\\') {
        if (c != '\\') {
            part += c;
        } else if (!part.empty()) {
            path += '\\' + part;
            part.clear();
        }
    }
    return path;
}

// Sets the value as HiveFileBackend::SetValue does on a key it has made sure of.
void Set(HiveDocument& doc, const std::string& path, const HiveDocument::Value& value) {
    doc.CreateKey(path);
    FUZZ_CHECK(doc.KeyExists(path));
    FUZZ_CHECK(doc.SetValue(path, value) != HiveDocument::SetOutcome::NoSuchKey);
    const HiveDocument::Value* kept = doc.FindValue(path, value.name);
    FUZZ_CHECK(kept != nullptr && kept->type == value.type && kept->data == value.data);
    FUZZ_CHECK(doc.SetValue(path, value) == HiveDocument::SetOutcome::Unchanged);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536) {
        return 0;
    }
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    HiveDocument doc = Earlier();
    HiveDocument::ParseError error;
    if (!HiveDocument::Parse(file, doc, &error)) {
        FUZZ_CHECK(doc == Earlier());
        FUZZ_CHECK(!error.reason.empty());
        FUZZ_CHECK(error.line <=
                   static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n')) + 1);
        return 0;
    }
    CheckRewrite(doc);

    // The program's saves, with data from the file's own bytes: a farm's phone number (text that
    // may hold anything), node IDs, a number, and a value of any type under a key named from the
    // file.
    const std::string_view head = file.substr(0, 34);
    const std::string_view tail = file.substr(size - std::min<std::size_t>(size, 24));
    const std::string farm = kBase + "\\Farm 0" + static_cast<char>('1' + size % 4);

    HiveDocument::Value phone{size % 2 == 0 ? "Phone Number" : "phone number", 1, {}};
    phone.data.assign(tail.begin(), tail.end());
    phone.data.push_back(0);
    Set(doc, farm, phone);

    HiveDocument::Value nodes{"Node IDs", 3, std::vector<std::uint8_t>(34, 0)};
    std::copy(head.begin(), head.end(), nodes.data.begin());
    Set(doc, farm, nodes);

    HiveDocument::Value port{"Serial Port", 4, {}};
    const std::string_view number = tail.substr(0, 4);
    port.data.assign(number.begin(), number.end());
    port.data.resize(4);
    Set(doc, farm, port);

    const std::string_view middle = file.substr(size / 2, 16);
    HiveDocument::Value other{Storable(middle.substr(0, 8)), 0, {}};
    for (const char c : middle) {
        other.type = other.type * 31 + static_cast<std::uint8_t>(c);
    }
    if (other.type % 8 != 0) {
        other.type %= 12; // the registry's types; now and then any number
    }
    const std::string_view bytes = file.substr(size / 3, 100);
    other.data.assign(bytes.begin(), bytes.end());
    Set(doc, KeyBelowBase(middle), other);

    CheckRewrite(doc);
    return 0;
}
