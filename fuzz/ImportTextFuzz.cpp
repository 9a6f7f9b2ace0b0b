// ImportText on any bytes: the count and the stored pairs agree with a
// plain reading of the format, and every stored key can be found and deleted;
// into a code-page library and into a UTF-8 one, whose reading decodes the
// whole file first (mark, UTF-16, UTF-8 or the code page) where the import
// decodes as it reads.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzLibrary.h"
#include "platform/CodePage.h"

namespace {

// Lines end at CR LF, LF or CR and are taken up to their first NUL.
std::vector<std::string> Lines(const std::string& input) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < input.size()) {
        std::size_t end = input.find_first_of("\r\n", at);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(at, end - at);
        line = line.substr(0, line.find('\0'));
        at = end;
        if (at < input.size() && input[at] == '\r')
            ++at;
        else if (at < input.size())
            ++at;
        if (end < input.size() && input[end] == '\r' && at < input.size() && input[at] == '\n')
            ++at;
        lines.push_back(std::move(line));
    }
    return lines;
}

// A UTF-8 library's lines: the file decoded whole, each line with whether
// its encoding defines it (a byte 0xFF stands where UTF-16 does not).
std::vector<std::pair<std::string, bool>> Utf8Lines(const std::string& input) {
    std::vector<std::pair<std::string, bool>> out;
    const bool little = input.rfind("\xFF\xFE", 0) == 0, big = input.rfind("\xFE\xFF", 0) == 0;
    if (little || big) {
        std::string text;
        std::size_t i = 2;
        auto unit = [&](std::size_t k) {
            const auto a = static_cast<unsigned char>(input[k]),
                       b = static_cast<unsigned char>(input[k + 1]);
            return static_cast<char32_t>(little ? (b << 8 | a) : (a << 8 | b));
        };
        for (; i + 1 < input.size(); i += 2) {
            char32_t c = unit(i);
            if (c >= 0xD800 && c <= 0xDBFF && i + 3 < input.size() && unit(i + 2) >= 0xDC00 &&
                unit(i + 2) <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
                i += 2;
            }
            if (c >= 0xD800 && c <= 0xDFFF)
                text += '\xFF';
            else
                wl::AppendUtf8(c, text);
        }
        if (i < input.size()) text += '\xFF';
        for (auto& line : Lines(text)) out.emplace_back(line, wl::IsUtf8(line));
        return out;
    }
    const bool marked = input.rfind("\xEF\xBB\xBF", 0) == 0;
    const std::string text = marked ? input.substr(3) : input;
    const bool utf8 = marked || wl::IsUtf8(text);
    for (auto& line : Lines(text)) {
        std::string converted;
        const bool ok = utf8 ? wl::IsUtf8(line) : wl::SystemCodePage().ToUtf8(line, converted);
        out.emplace_back(utf8 || !ok ? line : converted, ok);
    }
    return out;
}

// The format read the slow way: the first marker of "<key>", "<data>",
// "<shortkey>", "<replacement text>" (tested in that order) found in a line
// decides; a pending pair with a key is stored when the next key comes and
// at the end, unless its key or text line is bad (counted in notStored).
std::map<std::string, std::string> Expected(const std::vector<std::pair<std::string, bool>>& lines,
                                            int& count, int& notStored) {
    std::map<std::string, std::string> pairs;
    std::string key, text;
    bool keyOk = true, textOk = true;
    count = notStored = 0;
    auto store = [&] {
        if (key.empty()) return;
        if (keyOk && textOk) {
            pairs[key] = text;
            ++count;
        } else {
            ++notStored;
        }
        key.clear();
        text.clear();
        keyOk = textOk = true;
    };
    for (const auto& [line, ok] : lines) {
        std::size_t p;
        if ((p = line.find("<key>")) != std::string::npos) {
            store();
            key = line.substr(p + 5);
            keyOk = ok;
        } else if ((p = line.find("<data>")) != std::string::npos) {
            text = line.substr(p + 6);
            textOk = ok;
        } else if ((p = line.find("<shortkey>")) != std::string::npos) {
            store();
            key = line.substr(p + 10);
            keyOk = ok;
        } else if ((p = line.find("<replacement text>")) != std::string::npos) {
            text = line.substr(p + 18);
            textOk = ok;
        }
    }
    store();
    return pairs;
}

// Imports the input into the library and checks it against the pairs.
void Check(wl::fuzz::FuzzLibrary& fuzz, const std::uint8_t* data, std::size_t size,
           const std::vector<std::pair<std::string, bool>>& lines) {
    using wl::fuzz::FuzzLibrary;
    int expectedCount = 0, expectedNotStored = 0;
    std::map<std::string, std::string> expected = Expected(lines, expectedCount, expectedNotStored);
    int notStored = 0;
    int count = fuzz.library.ImportText(fuzz.Write(data, size), nullptr, &notStored);
    if (count != expectedCount)
        FuzzLibrary::Fail("count " + std::to_string(count) + ", expected " +
                          std::to_string(expectedCount));
    if (notStored != expectedNotStored) FuzzLibrary::Fail("not stored");
    if (fuzz.library.Count() != static_cast<int>(expected.size())) FuzzLibrary::Fail("key count");
    for (const auto& [key, text] : expected) {
        std::string stored;
        if (!wl::fuzz::Stored(fuzz.library, key, stored)) FuzzLibrary::Fail("key not found");
        if (stored != text) FuzzLibrary::Fail("wrong text");
        wl::LibraryEntry e;
        e.SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        if (!fuzz.library.Delete(e)) FuzzLibrary::Fail("delete");
    }
    if (fuzz.library.Count() != 0) FuzzLibrary::Fail("library not empty");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static wl::fuzz::FuzzLibrary codePage;
    static wl::fuzz::FuzzLibrary unicode("fuzz-utf8", wl::EncodingUtf8);
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::pair<std::string, bool>> lines;
    for (auto& line : Lines(input)) lines.emplace_back(std::move(line), true);
    Check(codePage, data, size, lines);
    Check(unicode, data, size, Utf8Lines(input));
    return 0;
}
