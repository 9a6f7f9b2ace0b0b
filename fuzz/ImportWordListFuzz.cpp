// ImportWordList on any bytes: the count and the stored words agree with a
// plain reading of the rules, and every stored word can be found and deleted.
#include <set>
#include <string>

#include "fuzz/FuzzLibrary.h"
#include "platform/CodePage.h"

namespace {

// Words: runs of letters, digits (of the code page), "_" and "-"; a run
// longer than 1,023 bytes is dropped whole.
std::set<std::string> Expected(const std::string& input, int& count) {
    const wl::CodePage& page = wl::SystemCodePage();
    std::set<std::string> words;
    count = 0;
    std::string word;
    auto finish = [&] {
        if (!word.empty() && word.size() <= 1023) {
            words.insert(word);
            ++count;
        }
        word.clear();
    };
    for (char c : input) {
        auto b = static_cast<unsigned char>(c);
        if (b && (page.IsAlphaNumeric(b) || page.IsAlpha(b) || b == '_' || b == '-'))
            word += c;
        else
            finish();
    }
    finish();
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static wl::fuzz::FuzzLibrary fuzz;
    using wl::fuzz::FuzzLibrary;
    std::string input(reinterpret_cast<const char*>(data), size);
    int expectedCount = 0;
    std::set<std::string> expected = Expected(input, expectedCount);

    int count = fuzz.library.ImportWordList(fuzz.Write(data, size), nullptr);
    if (count != expectedCount)
        FuzzLibrary::Fail("count " + std::to_string(count) + ", expected " +
                          std::to_string(expectedCount));
    if (fuzz.library.Count() != static_cast<int>(expected.size())) FuzzLibrary::Fail("key count");
    for (const std::string& word : expected) {
        std::string text;
        if (!wl::fuzz::Stored(fuzz.library, word, text)) FuzzLibrary::Fail("word not found");
        if (!text.empty()) FuzzLibrary::Fail("a word with a text");
        wl::LibraryEntry e;
        e.SetKey(word.data(), static_cast<std::uint32_t>(word.size()));
        if (!fuzz.library.Delete(e)) FuzzLibrary::Fail("delete");
    }
    if (fuzz.library.Count() != 0) FuzzLibrary::Fail("library not empty");
    return 0;
}
