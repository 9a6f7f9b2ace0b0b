// Keystroke savings: how much typing the candidate list saves on a long
// English text, through the real LibrarySet over the built default
// libraries.  Printed figures, never a test.
//
// The text is typed word by word.  Before each letter of a word (after the
// first), when the word is on the first page of 10 candidates for what was
// typed so far, one key takes it; otherwise the letter is typed.  Every
// other character costs one key.  KSR = 1 - keys typed / characters of the
// text.  It is measured for
//   - today's order (FindFirst/FindNext; a candidate is typed as stored);
//   - the smart order (FindFirstRanked/FindNextRanked; a candidate in the
//     letter case of FollowTypedCase);
//   - the smart order with a space typed after a taken word: a space in the
//     text right after it costs nothing; one of . , ; : ! ? moves the space
//     after itself, so that a space following the mark costs nothing; any
//     other character after the taken word first costs a Backspace;
//   - the ceiling: every word of two or more letters taken after its first
//     letter, with the space.
// A Shorthand candidate never types a word of the text, but it takes a row.
//
// The text: Jane Austen's six novels (public domain), read at run time from
// Debian's r-cran-janeaustenr, where it installs them, through R; or any
// text file (UTF-8 or plain ASCII) given with --text.
//
//   ksr [--libs DIR] [--text FILE] [--words N]
//
// DIR: the folder of the libraries (default: the build's Libs); N: type only
// the first N words.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/TypedCase.h"
#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "platform/Registry.h"
#include "store/LibrarySet.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kPage = 10;
constexpr char kAustenFolder[] = "/usr/lib/R/site-library/janeaustenr";
constexpr char kAustenCommand[] =
    "Rscript -e 'for (b in list(janeaustenr::prideprejudice, janeaustenr::sensesensibility, "
    "janeaustenr::emma, janeaustenr::mansfieldpark, janeaustenr::northangerabbey, "
    "janeaustenr::persuasion)) writeLines(b)' 2>/dev/null";

bool ReadAll(std::FILE* f, std::string& out) {
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) out.append(chunk, n);
    return !std::ferror(f);
}

// UTF-8 to Windows-1252 for the Latin-1 letters; other characters are
// dropped (the texts hold almost none).
std::string ToWindows1252(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            if (cp >= 0xA0 && cp < 0x100) out += static_cast<char>(cp);
            ++i;
        } else {
            while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

// Lines joined as they would be typed: a line break within a paragraph is a
// space, an empty line ends the paragraph (one line break), runs of spaces
// are one.
std::string AsTyped(const std::string& raw) {
    std::string out;
    std::size_t start = 0;
    bool paragraphEnded = false;
    while (start <= raw.size()) {
        std::size_t end = raw.find('\n', start);
        if (end == std::string::npos) end = raw.size();
        std::string line = raw.substr(start, end - start);
        start = end + 1;
        for (char& c : line)
            if (c == '\r' || c == '\t') c = ' ';
        std::size_t a = line.find_first_not_of(' '), b = line.find_last_not_of(' ');
        if (a == std::string::npos) {
            paragraphEnded = !out.empty();
            continue;
        }
        if (!out.empty()) out += paragraphEnded ? '\n' : ' ';
        paragraphEnded = false;
        bool space = false;
        for (std::size_t i = a; i <= b; ++i) {
            if (line[i] == ' ') {
                if (!space) out += ' ';
                space = true;
            } else {
                out += line[i];
                space = false;
            }
        }
    }
    return out;
}

struct Token {
    bool word;
    std::string text;
};

// Words are runs of letters and digits, with an apostrophe inside ("don't");
// every other character is a token of its own.
std::vector<Token> Tokens(const std::string& text, const wl::CodePage& page) {
    std::vector<Token> tokens;
    auto isWordByte = [&](std::size_t i) {
        return i < text.size() && page.IsAlphaNumeric(static_cast<unsigned char>(text[i]));
    };
    for (std::size_t i = 0; i < text.size();) {
        if (!isWordByte(i)) {
            tokens.push_back({false, std::string(1, text[i])});
            ++i;
            continue;
        }
        std::size_t j = i;
        while (isWordByte(j) || (text[j] == '\'' && isWordByte(j - 1) && isWordByte(j + 1))) ++j;
        tokens.push_back({true, text.substr(i, j - i)});
        i = j;
    }
    return tokens;
}

// The first page for what was typed, as the texts a Dictionary candidate
// would type, remembered per typed prefix.
class Pages {
  public:
    Pages(wl::LibrarySet& set, bool smart)
        : set_(set), smart_(smart), typedCase_(wl::SystemCodePage()) {}
    bool Offers(const std::string& typed, const std::string& word) {
        auto it = memo_.find(typed);
        if (it == memo_.end()) it = memo_.emplace(typed, Page(typed)).first;
        for (const auto& text : it->second)
            if (text == word) return true;
        return false;
    }
    long lookups() const { return lookups_; }
    double seconds() const { return seconds_; }

  private:
    std::vector<std::string> Page(const std::string& typed) {
        auto start = Clock::now();
        std::vector<std::string> texts;
        wl::LibraryEntry e;
        int ok = smart_ ? set_.FindFirstRanked(typed.c_str(), e, 1, 1)
                        : set_.FindFirst(typed.c_str(), e, wl::MATCH_PREFIX, 1, 1);
        for (int n = 0; ok;) {
            if (e.type == wl::Dictionary && e.key()) {
                std::string key(e.key(), e.keyLength());
                texts.push_back(
                    smart_ ? wl::FollowTypedCase(wl::SystemCodePage(), typed.c_str(), key.c_str())
                           : key);
            }
            if (++n == kPage) break;
            ok = smart_ ? set_.FindNextRanked(e) : set_.FindNext(e);
        }
        ++lookups_;
        seconds_ += std::chrono::duration<double>(Clock::now() - start).count();
        return texts;
    }
    wl::LibrarySet& set_;
    bool smart_;
    wl::TypedCase typedCase_;
    std::unordered_map<std::string, std::vector<std::string>> memo_;
    long lookups_ = 0;
    double seconds_ = 0;
};

enum class Mode { Today, Smart, SmartSpace, Ceiling };

// The keys it takes to type the tokens.
long KeysFor(const std::vector<Token>& tokens, Mode mode, Pages* pages) {
    const bool spaceAfter = mode == Mode::SmartSpace || mode == Mode::Ceiling;
    long keys = 0;
    // After a word taken with its space: 1 while the space follows it, 2
    // once a mark has moved it after itself.
    int pending = 0;
    for (const Token& t : tokens) {
        if (!t.word) {
            char c = t.text[0];
            if (pending && c == ' ') {
                pending = 0;  // typed already
                continue;
            }
            if (pending == 1 && std::strchr(".,;:!?", c)) {
                keys += 1;  // the mark; the space moves after it
                pending = 2;
                continue;
            }
            if (pending) keys += 1;  // a Backspace takes the space off
            pending = 0;
            keys += 1;
            continue;
        }
        if (pending) keys += 1;  // cannot happen: words are apart
        pending = 0;
        const std::string& w = t.text;
        bool taken = false;
        for (std::size_t typed = 1; typed < w.size(); ++typed) {
            if (mode == Mode::Ceiling || pages->Offers(w.substr(0, typed), w)) {
                keys += static_cast<long>(typed) + 1;
                taken = true;
                break;
            }
        }
        if (!taken) keys += static_cast<long>(w.size());
        if (taken && spaceAfter) pending = 1;
    }
    if (pending) keys += 1;
    return keys;
}

int Usage() {
    std::fputs("usage: ksr [--libs DIR] [--text FILE] [--words N]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string libs = WORDLARK_LIBS_DIR, textFile;
    long maxWords = -1;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) return Usage();
        if (a == "--libs")
            libs = argv[++i];
        else if (a == "--text")
            textFile = argv[++i];
        else if (a == "--words")
            maxWords = std::strtol(argv[++i], nullptr, 10);
        else
            return Usage();
    }

    std::string raw, source;
    if (!textFile.empty()) {
        std::FILE* f = std::fopen(textFile.c_str(), "rb");
        if (!f || !ReadAll(f, raw)) {
            std::fprintf(stderr, "ksr: cannot read %s\n", textFile.c_str());
            return 1;
        }
        std::fclose(f);
        source = textFile;
    } else {
        std::error_code ec;
        std::FILE* p = fs::is_directory(kAustenFolder, ec) ? popen(kAustenCommand, "r") : nullptr;
        if (p) ReadAll(p, raw);
        if (p) pclose(p);
        if (raw.size() < 1000000) {
            std::fprintf(stderr,
                         "ksr: the text is missing: Jane Austen's novels come from Debian's "
                         "r-cran-janeaustenr (%s), read with Rscript; scripts/setup installs "
                         "it. Or give a text file with --text FILE.\n",
                         kAustenFolder);
            return 1;
        }
        source = "Jane Austen's six novels (Debian's r-cran-janeaustenr)";
    }
    const wl::CodePage& page = wl::SystemCodePage();
    const std::string text = AsTyped(ToWindows1252(raw));
    std::vector<Token> tokens = Tokens(text, page);
    long words = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].word) continue;
        if (words == maxWords) {
            tokens.resize(i);
            break;
        }
        ++words;
    }
    long characters = 0;
    for (const Token& t : tokens) characters += static_cast<long>(t.text.size());

    wl::LibrarySet set(wl::SystemRegistry(), wl::SystemDirectory(), wl::SystemCodePage());
    if (!set.Load((libs + "/*.lib").c_str(), 1)) {
        std::fprintf(stderr, "ksr: no library in %s (build the default libraries first)\n",
                     libs.c_str());
        return 1;
    }
    std::printf("Keystroke savings, first page of %d, over %s:\n", kPage, source.c_str());
    std::printf("  %ld words, %ld characters; libraries in %s:", words, characters, libs.c_str());
    for (int i = 0; i < set.GetCount(); ++i) {
        wl::Library* lib = set.GetLibrary(i);
        std::printf(" %s (%d entries, %d weighted)",
                    fs::path(set.GetPath(i)).filename().string().c_str(),
                    static_cast<int>(lib->Count()), static_cast<int>(lib->CountWeights()));
    }
    std::printf("\n");
    auto start = Clock::now();
    set.PrepareRanked();
    double prepared = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("  ranked index: %.2f MB, built in %.0f ms\n",
                static_cast<double>(set.RankedBytes()) / 1e6, prepared * 1e3);

    Pages today(set, false), smart(set, true);
    struct Row {
        const char* name;
        Mode mode;
        Pages* pages;
    } rows[] = {{"today's order", Mode::Today, &today},
                {"smart order", Mode::Smart, &smart},
                {"smart order + space after", Mode::SmartSpace, &smart},
                {"ceiling (after the first letter, with the space)", Mode::Ceiling, nullptr}};
    for (const Row& row : rows) {
        long keys = KeysFor(tokens, row.mode, row.pages);
        std::printf("  %-50s KSR %5.1f%%  (%ld keys)\n", row.name,
                    100.0 * (1.0 - static_cast<double>(keys) / static_cast<double>(characters)),
                    keys);
    }
    for (const Pages* p : {&today, &smart})
        std::printf("  %s: %ld lookups, %.1f us each on average\n",
                    p == &today ? "today's order" : "smart order", p->lookups(),
                    p->lookups() ? p->seconds() / static_cast<double>(p->lookups()) * 1e6 : 0.0);
    return 0;
}
