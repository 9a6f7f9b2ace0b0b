// AutoHotkey hotstrings.
//
// A hotstring is a line ":options:abbreviation::replacement" (leading blanks
// allowed).  Everything else (hotkeys, commands, functions, labels,
// directives but #Hotstring) is no hotstring and is passed over in silence;
// ";" comments and "/* ... */" blocks too.
//
// The replacement, as AutoHotkey types it:
// - a ";" after a blank starts a comment; blanks around the text go;
// - escapes (`n, `r, `t, `b, `s, ``, `;, ...) are read first;
// - then, unless the option R or T (or {Raw}, {Text}) makes it raw, the Send
//   syntax: {Enter}, {Tab}, {Up}, {Down}, {PgUp}, {PgDn}, {Home}, {End},
//   {Del}, {BS} (with a count: {Enter 2}) become this program's macros,
//   {Space}, {!}, {{} and the like their character, {U+20AC} the character;
//   {Left n} at the very end places "%CARET%" n characters from the end;
// - line breaks become "%RETURN%", tabs "%TAB%", backspaces "%BACKSPACE%".
// An empty replacement followed by a line that begins with "(" is a
// continuation section up to the line that begins with ")", with its options
// LTrim, RTrim0, Join, Comments and "`".
//
// Skipped, with the reason: a hotstring that runs code (an empty replacement
// without a continuation section, or the option X), key combinations (^, +,
// !, # unbraced), keys this program cannot press, {Left} that is not at the
// end, an option AutoHotkey does not know.  The options that only decide
// when the hotstring fires (*, ?, C, O, Z, K, P, S) change nothing of what is
// typed; B0 (the abbreviation stays) makes the text the abbreviation
// followed by the replacement.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "macros/MacroNames.h"
#include "platform/CodePage.h"
#include "snippets/SnippetFormats.h"

namespace wl::snippets {
namespace {

constexpr long kMaxRepeat = 1000;

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return s.substr(0, n);
}

struct Options {
    bool raw = false;        // R or T: typed as it stands
    bool execute = false;    // X: the replacement is a command
    bool keepTyped = false;  // B0: the abbreviation is not erased
    std::string unknown;     // an option AutoHotkey does not know
};

void ApplyOptions(std::string_view text, Options& o) {
    auto next = [&](std::size_t i) { return i + 1 < text.size() ? text[i + 1] : '\0'; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = Upper(text[i]);
        const bool zero = next(i) == '0';
        switch (c) {
            case ' ':
            case '\t':
                break;
            case '*':
            case '?':
            case 'O':
            case 'Z':
                if (zero) ++i;
                break;
            case 'B':
                o.keepTyped = zero;
                if (zero) ++i;
                break;
            case 'C':
                if (zero || next(i) == '1') ++i;
                break;
            case 'R':
            case 'T':
                o.raw = !zero;
                if (zero) ++i;
                break;
            case 'X':
                o.execute = !zero;
                if (zero) ++i;
                break;
            case 'K':
            case 'P':
                if (next(i) == '-') ++i;
                while (next(i) >= '0' && next(i) <= '9') ++i;
                break;
            case 'S':
                if (Upper(next(i)) == 'I' || Upper(next(i)) == 'P' || Upper(next(i)) == 'E') {
                    ++i;
                    break;
                }
                [[fallthrough]];
            default:
                if (o.unknown.empty()) o.unknown = std::string(1, text[i]);
                break;
        }
    }
}

// Steps over one character: two bytes for a double-byte character of the
// ANSI code page, else one.
std::size_t CharLength(std::string_view s, std::size_t i, const CodePage* ansi) {
    if (ansi && i + 1 < s.size() && ansi->IsLeadByte(static_cast<unsigned char>(s[i]))) return 2;
    return 1;
}

// The first occurrence of "::" at a character boundary.
std::size_t FindDoubleColon(std::string_view s, const CodePage* ansi) {
    for (std::size_t i = 0; i + 1 < s.size(); i += CharLength(s, i, ansi))
        if (s[i] == ':' && s[i + 1] == ':') return i;
    return std::string_view::npos;
}

// Cuts a ";" comment that follows a blank (an escaped "`;" stays).
std::string_view CutComment(std::string_view s, const CodePage* ansi) {
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i, ansi)) {
        if (s[i] == '`' && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == ';' && i > 0 && IsBlank(s[i - 1])) return s.substr(0, i);
    }
    return s;
}

// Trailing blanks go unless the last one is escaped.
std::string_view TrimReplacement(std::string_view s) {
    s = TrimLeft(s);
    std::size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]) && !(n > 1 && s[n - 2] == '`')) --n;
    return s.substr(0, n);
}

// Reads the escapes: `n `r `t `b `s `a `f `v, and `x as x.
std::string Unescape(std::string_view s, const CodePage* ansi) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = CharLength(s, i, ansi);
        if (s[i] != '`' || i + 1 >= s.size()) {
            out.append(s.substr(i, n));
            i += n;
            continue;
        }
        const char e = s[i + 1];
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 's':
                out += ' ';
                break;
            case 'a':
                out += '\a';
                break;
            case 'f':
                out += '\f';
                break;
            case 'v':
                out += '\v';
                break;
            default:
                out.append(s.substr(i + 1, CharLength(s, i + 1, ansi)));
                i += CharLength(s, i + 1, ansi) - 1;
                break;
        }
        i += 2;
    }
    return out;
}

// The macro of a key name of the Send syntax; nullptr for others.
const char* KeyMacro(std::string_view name) {
    static constexpr struct {
        const char* name;
        const char* macro;
    } kKeys[] = {
        {"Enter", macro::kReturn},
        {"Return", macro::kReturn},
        {"NumpadEnter", macro::kReturn},
        {"Tab", macro::kTab},
        {"Up", macro::kUp},
        {"Down", macro::kDown},
        {"PgUp", macro::kPageUp},
        {"PgDn", macro::kPageDown},
        {"Home", macro::kHome},
        {"End", macro::kEnd},
        {"Del", macro::kDelete},
        {"Delete", macro::kDelete},
        {"BS", macro::kBackspace},
        {"Backspace", macro::kBackspace},
    };
    for (const auto& k : kKeys)
        if (EqualNoCase(name, k.name)) return k.macro;
    return nullptr;
}

// Turns a decoded replacement into pieces.
class SendReader {
  public:
    SendReader(const CodePage* ansi, bool raw, Budget& budget)
        : ansi_(ansi), raw_(raw), budget_(budget), out_(budget) {}

    // Reads the text; false with the reason when it cannot be reproduced.
    bool Read(std::string_view s, std::string& why) {
        for (std::size_t i = 0; i < s.size();) {
            if (Special(s, i) == '{') {
                if (!Brace(s, i, why)) return false;
            } else if (Special(s, i)) {
                why = "presses a key combination (^, +, ! or #), which is not typed as text";
                return false;
            } else {
                // The characters up to the next special one, typed as they
                // stand.
                std::size_t end = i;
                while (end < s.size() && !Special(s, end)) end += CharLength(s, end, ansi_);
                if (!Literal(s.substr(i, end - i), why)) return false;
                i = end;
            }
        }
        return lefts_ == 0 || PlaceCaret(why);
    }

    std::vector<Piece> Take() { return out_.Take(); }

  private:
    // The character at s[i] when the Send syntax gives it a meaning ({, ^,
    // +, ! or #, and none in raw text); 0 for one typed as it stands.
    char Special(std::string_view s, std::size_t i) const {
        if (raw_ || CharLength(s, i, ansi_) > 1) return 0;
        const char c = s[i];
        return c == '{' || c == '^' || c == '+' || c == '!' || c == '#' ? c : 0;
    }

    bool AfterLeft(std::string& why) {
        if (lefts_ == 0) return true;
        why = "moves the caret with {Left} before the end of its text";
        return false;
    }

    bool Literal(std::string_view text, std::string& why) {
        if (!AfterLeft(why)) return false;
        while (!text.empty() && !out_.Full()) {
            const std::size_t key = static_cast<std::size_t>(
                std::find_if(text.begin(), text.end(),
                             [](char c) { return c == '\t' || c == '\b'; }) -
                text.begin());
            out_.Text(text.substr(0, key));
            if (key == text.size()) break;
            out_.Macro(text[key] == '\t' ? macro::kTab : macro::kBackspace);
            text.remove_prefix(key + 1);
        }
        return Room(why);
    }

    // False with the reason once the pieces are full.
    bool Room(std::string& why) {
        if (!out_.Full()) return true;
        why = kLongReplacement;
        return false;
    }

    // A {...} at s[i]; moves i past it.
    bool Brace(std::string_view s, std::size_t& i, std::string& why) {
        // "{}}" is the brace itself; otherwise the name runs to the first "}".
        std::size_t close = s.find('}', i + 2);
        if (i + 1 < s.size() && s[i + 1] == '}' && close == i + 2) {
            i += 3;
            return Literal("}", why);
        }
        if (i + 1 < s.size() && s[i + 1] != '}') close = s.find('}', i + 1);
        if (close == std::string_view::npos || close == i + 1) {
            why = "has a { without its key name and }";
            return false;
        }
        std::string_view inside = s.substr(i + 1, close - i - 1);
        i = close + 1;
        // A count after the name: {Enter 2}.
        long count = 1;
        std::string_view name = inside;
        const std::size_t space = inside.find(' ');
        if (space != std::string_view::npos && space > 0) {
            std::string number(TrimLeft(inside.substr(space + 1)));
            char* end = nullptr;
            const long value = std::strtol(number.c_str(), &end, 10);
            if (!number.empty() && end && *end == '\0' && value >= 0) {
                name = inside.substr(0, space);
                count = value;
            }
        }
        if (count > kMaxRepeat) {
            why = "repeats a key more than 1,000 times";
            return false;
        }
        if (EqualNoCase(name, "Raw") || EqualNoCase(name, "Text")) {
            raw_ = true;
            return true;
        }
        if (EqualNoCase(name, "Blind")) return true;
        if (EqualNoCase(name, "Left")) {
            lefts_ += count;
            return true;
        }
        if (!AfterLeft(why)) return false;
        if (const char* macro = KeyMacro(name)) {
            for (long k = 0; k < count && !out_.Full(); ++k) out_.Macro(macro);
            return Room(why);
        }
        std::string character;
        if (EqualNoCase(name, "Space")) {
            character = " ";
        } else if (StartsNoCase(name, "U+") && name.size() > 2 && name.size() <= 8) {
            std::string hex(name.substr(2));
            char* end = nullptr;
            const unsigned long value = std::strtoul(hex.c_str(), &end, 16);
            if (!end || *end || value == 0 || value > 0x10FFFF ||
                (value >= 0xD800 && value <= 0xDFFF)) {
                why = "has the character {" + std::string(name) + "}, which is no character";
                return false;
            }
            AppendUtf8(static_cast<char32_t>(value), character);
            if (ansi_) {
                std::string converted;
                if (!ansi_->FromUtf8(character, converted)) {
                    why =
                        "holds " + std::string(name) + ", which the system's code page cannot hold";
                    return false;
                }
                character = converted;
            }
        } else if (IsOneCharacter(name)) {
            character = name;
        } else {
            why = "presses {" + std::string(name) + "}, which this program cannot press";
            return false;
        }
        std::string repeated;
        if (character.size() == 1) {
            repeated.assign(static_cast<std::size_t>(count), character[0]);
        } else {
            repeated.reserve(character.size() * static_cast<std::size_t>(count));
            for (long k = 0; k < count; ++k) repeated += character;
        }
        return Literal(repeated, why);
    }

    bool IsOneCharacter(std::string_view name) const {
        if (name.empty()) return false;
        if (!ansi_) {
            std::size_t at = 0;
            char32_t c;
            return NextUtf8(name, at, c) && at == name.size();
        }
        return CharLength(name, 0, ansi_) == name.size();
    }

    std::size_t Characters(std::string_view text) const {
        std::size_t count = 0;
        for (std::size_t i = 0; i < text.size(); ++count) i = Next(text, i);
        return count;
    }

    // The byte offset after the first n characters of text.
    std::size_t Offset(std::string_view text, std::size_t n) const {
        std::size_t i = 0;
        for (std::size_t k = 0; k < n && i < text.size(); ++k) i = Next(text, i);
        return i;
    }

    // The offset of the character after the one at i (a byte that begins
    // no character counts as one).
    std::size_t Next(std::string_view text, std::size_t i) const {
        if (ansi_) return i + CharLength(text, i, ansi_);
        char32_t c;
        if (!NextUtf8(text, i, c)) ++i;
        return i;
    }

    // {Left n} at the end: "%CARET%" where the caret ends up, counted as the
    // replacement typing counts (a character, Enter and Tab one each).
    bool PlaceCaret(std::string& why) {
        std::vector<Piece> pieces = out_.Take();
        long remaining = lefts_;
        std::size_t index = pieces.size();
        while (remaining > 0) {
            if (index == 0) {
                why = "moves the caret with {Left} further than its text";
                return false;
            }
            Piece& p = pieces[index - 1];
            if (p.macro) {
                if (p.text != macro::kReturn && p.text != macro::kTab) {
                    why = "moves the caret with {Left} past a key this program cannot count";
                    return false;
                }
                --remaining;
                --index;
                continue;
            }
            const auto n = static_cast<long>(Characters(p.text));
            if (n <= remaining) {
                remaining -= n;
                --index;
                continue;
            }
            const std::size_t cut = Offset(p.text, static_cast<std::size_t>(n - remaining));
            Piece tail{false, p.text.substr(cut)};
            p.text.erase(cut);
            pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index), tail);
            remaining = 0;
        }
        pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index),
                      Piece{true, macro::kCaret});
        out_.Restore(std::move(pieces));
        lefts_ = 0;
        if (budget_.Take(1, std::char_traits<char>::length(macro::kCaret))) return true;
        why = kLongReplacement;
        return false;
    }

    const CodePage* ansi_;
    bool raw_;
    Budget& budget_;
    long lefts_ = 0;
    PieceBuilder out_;
};

// The lines of a text, one after another: CR LF, CR and LF each end one; a
// last line without its end counts too.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    // The next line; false at the end of the text.
    bool Next(std::string_view& line) {
        if (at_ >= text_.size()) return false;
        std::size_t end = text_.find_first_of("\r\n", at_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(at_, end - at_);
        at_ = end + (text_.substr(end, 2) == "\r\n" ? 2 : 1);
        return true;
    }
    // Whether the next line begins, after blanks, with c.
    bool NextBeginsWith(char c) const {
        Lines copy = *this;
        std::string_view line;
        return copy.Next(line) && !TrimLeft(line).empty() && TrimLeft(line)[0] == c;
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// A continuation section, its "(" line the next of lines: the joined text,
// and false when it has no ")" line.  escapes is set false by the option
// "`".  A text that would grow past kMaxSnippetPart stops growing and is
// marked long.
bool Continuation(Lines& lines, const CodePage* ansi, std::string& text, bool& escapes,
                  bool& tooLong) {
    std::string_view open;
    lines.Next(open);
    bool ltrim = false, rtrim = true, comments = false;
    std::string join = "\n";
    std::string_view options = TrimLeft(open).substr(1);
    while (!(options = TrimLeft(options)).empty()) {
        std::size_t end = 0;
        while (end < options.size() && !IsBlank(options[end])) ++end;
        std::string_view word = options.substr(0, end);
        options.remove_prefix(end);
        if (EqualNoCase(word, "LTrim"))
            ltrim = true;
        else if (EqualNoCase(word, "LTrim0"))
            ltrim = false;
        else if (EqualNoCase(word, "RTrim0"))
            rtrim = false;
        else if (EqualNoCase(word, "RTrim"))
            rtrim = true;
        else if (StartsNoCase(word, "Join"))
            join = Unescape(word.substr(4), ansi);
        else if (EqualNoCase(word, "Comments") || EqualNoCase(word, "Comment") ||
                 EqualNoCase(word, "Com") || EqualNoCase(word, "C"))
            comments = true;
        else if (word == "`")
            escapes = false;
    }
    text.clear();
    tooLong = false;
    std::string_view line;
    for (bool first = true; lines.Next(line); first = false) {
        if (!TrimLeft(line).empty() && TrimLeft(line)[0] == ')') return true;
        if (tooLong) continue;
        if (comments) {
            line = CutComment(line, ansi);
            if (!TrimLeft(line).empty() && TrimLeft(line)[0] == ';') line = {};
        }
        if (ltrim) line = TrimLeft(line);
        if (rtrim) line = TrimRight(line);
        if (text.size() + (first ? 0 : join.size()) + line.size() > kMaxSnippetPart) {
            tooLong = true;
            text.clear();
            continue;
        }
        if (!first) text += join;
        text += line;
    }
    return false;
}

std::string Read(std::string_view text, const CodePage* ansi, Budget& budget,
                 const SnippetSink& sink) {
    Lines lines(text);
    Options defaults;
    bool inComment = false;
    std::string_view whole;
    while (lines.Next(whole)) {
        const std::string_view line = TrimLeft(whole);
        if (inComment) {
            if (line.substr(0, 2) == "*/" || TrimRight(line).ends_with("*/")) inComment = false;
            continue;
        }
        if (line.substr(0, 2) == "/*") {
            inComment = !(line.size() >= 4 && TrimRight(line).ends_with("*/"));
            continue;
        }
        if (StartsNoCase(line, "#Hotstring") && line.size() > 10 && IsBlank(line[10])) {
            std::string_view rest = TrimLeft(line.substr(11));
            rest = TrimRight(CutComment(rest, ansi));
            if (StartsNoCase(rest, "NoMouse") || StartsNoCase(rest, "EndChars")) continue;
            Options changed = defaults;
            ApplyOptions(rest, changed);
            if (changed.unknown.empty()) defaults = changed;
            continue;
        }
        if (line.empty() || line[0] != ':') continue;
        const std::size_t optionsEnd = line.find(':', 1);
        if (optionsEnd == std::string_view::npos) continue;
        const std::string_view rest = line.substr(optionsEnd + 1);
        const std::size_t split = FindDoubleColon(rest, ansi);
        if (split == std::string_view::npos || split == 0) continue;

        Snippet snippet;
        SetAbbreviation(snippet, rest.substr(0, split));
        Options options = defaults;
        ApplyOptions(line.substr(1, optionsEnd - 1), options);
        std::string_view body = TrimReplacement(CutComment(rest.substr(split + 2), ansi));

        std::string section;
        bool escapes = true;
        bool tooLong = body.size() > kMaxSnippetPart;
        if (body.empty()) {
            if (!lines.NextBeginsWith('(')) {
                snippet.skip = "runs a script";
            } else {
                if (!Continuation(lines, ansi, section, escapes, tooLong))
                    snippet.skip = "has a continuation section without its )";
                body = section;
            }
        }
        if (snippet.skip.empty() && !options.unknown.empty())
            snippet.skip = "has the option " + options.unknown + ", which AutoHotkey does not know";
        if (snippet.skip.empty() && options.execute) snippet.skip = "runs a command (option X)";
        if (snippet.skip.empty() && tooLong) snippet.skip = kLongReplacement;
        if (snippet.skip.empty()) {
            SendReader reader(ansi, options.raw, budget);
            std::string why;
            if (reader.Read(escapes ? std::string_view(Unescape(body, ansi)) : body, why)) {
                snippet.pieces = reader.Take();
                if (options.keepTyped) {
                    PieceBuilder typed(budget);
                    typed.Text(snippet.abbreviation);
                    std::vector<Piece> front = typed.Take();
                    snippet.pieces.insert(snippet.pieces.begin(), front.begin(), front.end());
                }
            } else {
                snippet.skip = why;
            }
        }
        if (!Emit(std::move(snippet), budget, sink)) break;
    }
    return {};
}

}  // namespace

SnippetReader AutoHotkeyReader(std::string_view text, const CodePage* ansi) {
    return [text, ansi](Budget& budget, const SnippetSink& sink) {
        return Read(text, ansi, budget, sink);
    };
}

}  // namespace wl::snippets
