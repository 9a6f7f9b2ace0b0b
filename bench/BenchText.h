// The English text the benchmarks type: Jane Austen's six novels (public
// domain), read at run time from Debian's r-cran-janeaustenr, where it
// installs them, through R; or any text file (UTF-8 or plain ASCII).  Made
// into the text a typist would type (Windows-1252, paragraphs as line
// breaks) and cut into words and the characters between them.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/CodePage.h"

namespace wl::bench {

inline constexpr char kAustenFolder[] = "/usr/lib/R/site-library/janeaustenr";
inline constexpr char kAustenCommand[] =
    "Rscript -e 'for (b in list(janeaustenr::prideprejudice, janeaustenr::sensesensibility, "
    "janeaustenr::emma, janeaustenr::mansfieldpark, janeaustenr::northangerabbey, "
    "janeaustenr::persuasion)) writeLines(b)' 2>/dev/null";

inline bool ReadAll(std::FILE* f, std::string& out) {
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) out.append(chunk, n);
    return !std::ferror(f);
}

// UTF-8 to Windows-1252 for the Latin-1 letters; other characters are
// dropped (the texts hold almost none).
inline std::string ToWindows1252(const std::string& utf8) {
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
inline std::string AsTyped(const std::string& raw) {
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
inline std::vector<Token> Tokens(const std::string& text, const wl::CodePage& page) {
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

// Reads the text file at path, or the novels when path is empty: true with
// raw (as read) and source (what it is), or false with why not.
inline bool ReadBenchText(const std::string& path, std::string& raw, std::string& source,
                          std::string& error) {
    raw.clear();
    if (!path.empty()) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        const bool ok = f && ReadAll(f, raw);
        if (f) std::fclose(f);
        if (!ok) error = "cannot read " + path;
        source = path;
        return ok;
    }
    std::error_code ec;
    std::FILE* p =
        std::filesystem::is_directory(kAustenFolder, ec) ? popen(kAustenCommand, "r") : nullptr;
    if (p) ReadAll(p, raw);
    if (p) pclose(p);
    if (raw.size() < 1000000) {
        error = std::string(
                    "the text is missing: Jane Austen's novels come from Debian's "
                    "r-cran-janeaustenr (") +
                kAustenFolder +
                "), read with Rscript; scripts/setup installs it. Or give a text file with "
                "--text FILE.";
        return false;
    }
    source = "Jane Austen's six novels (Debian's r-cran-janeaustenr)";
    return true;
}

}  // namespace wl::bench
