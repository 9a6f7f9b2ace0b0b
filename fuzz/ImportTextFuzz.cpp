// ImportText on any bytes: the count and the stored pairs agree with a
// plain reading of the format, and every stored key can be found and deleted.
#include <map>
#include <string>

#include "fuzz/FuzzLibrary.h"

namespace {

// The format read the slow way: lines end at CR LF, LF or CR and are taken
// up to their first NUL; the first marker of "<key>", "<data>",
// "<shortkey>", "<replacement text>" (tested in that order) found in a line
// decides; a pending pair with a key is stored when the next key comes and
// at the end.
std::map<std::string, std::string> Expected(const std::string& input, int& count) {
    std::map<std::string, std::string> pairs;
    std::string key, text;
    count = 0;
    auto store = [&] {
        if (key.empty()) return;
        pairs[key] = text;
        ++count;
        key.clear();
        text.clear();
    };
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
        std::size_t p;
        if ((p = line.find("<key>")) != std::string::npos) {
            store();
            key = line.substr(p + 5);
        } else if ((p = line.find("<data>")) != std::string::npos) {
            text = line.substr(p + 6);
        } else if ((p = line.find("<shortkey>")) != std::string::npos) {
            store();
            key = line.substr(p + 10);
        } else if ((p = line.find("<replacement text>")) != std::string::npos) {
            text = line.substr(p + 18);
        }
    }
    store();
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static wl::fuzz::FuzzLibrary fuzz;
    using wl::fuzz::FuzzLibrary;
    std::string input(reinterpret_cast<const char*>(data), size);
    int expectedCount = 0;
    std::map<std::string, std::string> expected = Expected(input, expectedCount);

    int count = fuzz.library.ImportText(fuzz.Write(data, size), nullptr);
    if (count != expectedCount)
        FuzzLibrary::Fail("count " + std::to_string(count) + ", expected " +
                          std::to_string(expectedCount));
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
    return 0;
}
