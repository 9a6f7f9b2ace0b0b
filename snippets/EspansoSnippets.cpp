// espanso match files, read with yaml-cpp.
//
// The file is a YAML map whose "matches" is a list of matches.  A match
// gives its abbreviations as "trigger" or as the list "triggers" (one entry
// each) and its text as "replace".  In the text, "$|$" is where the caret
// goes ("%CARET%"), line breaks become "%RETURN%", and a variable
// "{{name}}", defined in the match's "vars" or the file's "global_vars",
// becomes:
// - type date: its "format" (chrono's strftime conversions) as this
//   program's date and time macros (DateFormatPieces);
// - type echo: its text.
// Skipped, with the reason: regex triggers, forms, images, rich text
// (markdown, html), propagate_case, and the variables this program cannot
// produce (clipboard, shell, script, random, choice, form, match, a date
// with an offset or a locale, or a conversion without a macro).
#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/yaml.h>

#include <memory>
#include <sstream>
#include <string>

#include "macros/MacroNames.h"
#include "snippets/SnippetFormats.h"

namespace wl::snippets {
namespace {

// The value of key in a map node; an undefined node (on which every test
// answers false) when the node is no map or has no such key.  (yaml-cpp's
// own lookup of a missing key gives a node that throws when tested, and
// every lookup leaves a node behind in the document's memory.)
YAML::Node Get(const YAML::Node& node, const char* key) {
    if (node.IsMap())
        for (const auto& entry : node)
            if (entry.first.IsScalar() && entry.first.Scalar() == key) return entry.second;
    return YAML::Node(YAML::NodeType::Undefined);
}

// Counts the values of a document as the parser meets them, and stops it
// past the limit: the document is then not loaded (yaml-cpp takes some 500
// bytes for each).
class ValueCounter : public YAML::EventHandler {
  public:
    struct TooMany {};
    void OnDocumentStart(const YAML::Mark&) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark&, YAML::anchor_t) override { Count(); }
    void OnAlias(const YAML::Mark&, YAML::anchor_t) override { Count(); }
    void OnScalar(const YAML::Mark&, const std::string&, YAML::anchor_t,
                  const std::string&) override {
        Count();
    }
    void OnSequenceStart(const YAML::Mark&, const std::string&, YAML::anchor_t,
                         YAML::EmitterStyle::value) override {
        Count();
    }
    void OnSequenceEnd() override {}
    void OnMapStart(const YAML::Mark&, const std::string&, YAML::anchor_t,
                    YAML::EmitterStyle::value) override {
        Count();
    }
    void OnMapEnd() override {}

  private:
    void Count() {
        if (++count_ > kMaxEspansoValues) throw TooMany{};
    }
    std::size_t count_ = 0;
};

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// A variable reference "{{ name }}" or "{{name.field}}" at s[at]: its name
// and field, and the offset after it; false when s[at] starts none.
bool VariableAt(std::string_view s, std::size_t at, std::string& name, std::string& field,
                std::size_t& end) {
    if (s.substr(at, 2) != "{{") return false;
    std::size_t i = at + 2;
    while (i < s.size() && s[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < s.size() && IsNameChar(s[i])) ++i;
    if (i == start) return false;
    name.assign(s.substr(start, i - start));
    field.clear();
    if (i < s.size() && s[i] == '.') {
        const std::size_t from = ++i;
        while (i < s.size() && IsNameChar(s[i])) ++i;
        if (i == from) return false;
        field.assign(s.substr(from, i - from));
    }
    while (i < s.size() && s[i] == ' ') ++i;
    if (s.substr(i, 2) != "}}") return false;
    end = i + 2;
    return true;
}

// The definition of the variable name in a list of variables; an undefined
// node when there is none.
YAML::Node FindVariable(const YAML::Node& vars, const std::string& name) {
    if (!vars.IsSequence()) return YAML::Node(YAML::NodeType::Undefined);
    for (const auto& v : vars) {
        if (!v.IsMap()) continue;
        const YAML::Node n = Get(v, "name");
        if (n.IsScalar() && n.Scalar() == name) return v;
    }
    return YAML::Node(YAML::NodeType::Undefined);
}

std::string Scalar(const YAML::Node& node) {
    return node.IsScalar() ? node.Scalar() : std::string();
}

// What a variable of a type this program cannot produce does.
std::string VariableReason(const std::string& type) {
    if (type == "clipboard") return "uses the clipboard";
    if (type == "shell") return "runs a shell command";
    if (type == "script") return "runs a script";
    if (type == "form") return "shows a form";
    if (type == "random") return "picks a random text";
    if (type == "choice") return "asks for a choice";
    if (type == "match") return "inserts another match";
    return "uses a variable of the type \"" + type + "\"";
}

// The pieces of one variable; false with the reason when it cannot be
// produced.
bool VariablePieces(const YAML::Node& var, const std::string& name, const std::string& field,
                    PieceBuilder& out, std::string& why) {
    const std::string type = Scalar(Get(var, "type"));
    const YAML::Node params = Get(var, "params");
    if (!field.empty()) {
        why = "uses {{" + name + "." + field + "}}";
        return false;
    }
    if (type == "date") {
        if (!params.IsMap() || !Get(params, "format").IsScalar()) {
            why = "has a date variable without a format";
            return false;
        }
        const YAML::Node offset = Get(params, "offset");
        if (offset.IsDefined() && !offset.IsNull() && Scalar(offset) != "0") {
            why = "shifts its date (offset)";
            return false;
        }
        if (Get(params, "locale").IsDefined()) {
            why = "writes its date for the locale " + Scalar(Get(params, "locale"));
            return false;
        }
        return DateFormatPieces(Get(params, "format").Scalar(), out, why);
    }
    if (type == "echo") {
        const std::string text = params.IsMap() ? Scalar(Get(params, "echo")) : std::string();
        if (text.find("{{") != std::string::npos) {
            why = "nests variables in {{" + name + "}}";
            return false;
        }
        out.Text(text);
        return true;
    }
    why = VariableReason(type);
    return false;
}

// The pieces of a replace text; false with the reason when it cannot be
// reproduced.
bool ReplacePieces(std::string_view text, const YAML::Node& vars, const YAML::Node& globals,
                   PieceBuilder& out, std::string& why) {
    if (text.size() > kMaxSnippetPart) {
        why = kLongReplacement;
        return false;
    }
    int carets = 0;
    std::string name, field;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = 0;
        if (text.substr(i, 3) == "$|$") {
            if (++carets > 1) {
                why = "marks the caret ($|$) more than once";
                return false;
            }
            out.Macro(macro::kCaret);
            i += 3;
        } else if (VariableAt(text, i, name, field, end)) {
            // Made, never assigned: a node assigned to takes in the whole
            // document's memory, every time.
            const YAML::Node own = FindVariable(vars, name);
            const YAML::Node var = own.IsDefined() ? own : FindVariable(globals, name);
            if (!var.IsDefined()) {
                why = "uses {{" + name + "}}, which the file does not define";
                return false;
            }
            if (!VariablePieces(var, name, field, out, why)) return false;
            i = end;
        } else {
            out.Char(text[i]);
            ++i;
        }
        if (out.Full()) {
            why = kLongReplacement;
            return false;
        }
    }
    return true;
}

// Why a match cannot be imported as a whole; empty when it can.
std::string MatchReason(const YAML::Node& match) {
    const YAML::Node propagate = Get(match, "propagate_case");
    if (propagate.IsScalar() && propagate.as<bool>(false))
        return "takes the letter case of what is typed (propagate_case)";
    const YAML::Node replace = Get(match, "replace");
    if (replace.IsScalar()) return {};
    if (replace.IsDefined() && replace.IsNull()) return "has an empty replacement";
    if (Get(match, "form").IsDefined()) return "shows a form";
    if (Get(match, "image_path").IsDefined()) return "inserts an image";
    if (Get(match, "markdown").IsDefined() || Get(match, "html").IsDefined())
        return "is rich text (markdown or html)";
    return "has no replacement text";
}

// Hands on the snippets of one match, one per trigger; false when the
// reading stops.
bool ReadMatch(const YAML::Node& match, std::size_t number, const YAML::Node& globals,
               Budget& budget, const SnippetSink& sink) {
    Snippet snippet;
    if (!match.IsMap()) {
        snippet.abbreviation = "(match " + std::to_string(number) + ")";
        snippet.skip = "is not a match";
        return Emit(std::move(snippet), budget, sink);
    }
    if (Get(match, "regex").IsDefined()) {
        SetAbbreviation(snippet, Scalar(Get(match, "regex")));
        snippet.skip = "has a regex trigger";
        return Emit(std::move(snippet), budget, sink);
    }
    // The triggers, read where they stand (an alias may name a long list
    // many times).
    const YAML::Node trigger = Get(match, "trigger");
    const YAML::Node list = Get(match, "triggers");
    auto eachTrigger = [&](const auto& take) {
        if (trigger.IsScalar() && !take(trigger.Scalar())) return false;
        if (list.IsSequence())
            for (const auto& t : list)
                if (t.IsScalar() && !take(t.Scalar())) return false;
        return true;
    };
    const bool none = eachTrigger([](const std::string&) { return false; });  // stops at one
    if (none) {
        snippet.abbreviation = "(match " + std::to_string(number) + ")";
        snippet.skip = "has no trigger";
        return Emit(std::move(snippet), budget, sink);
    }
    snippet.skip = MatchReason(match);
    if (snippet.skip.empty()) {
        PieceBuilder pieces(budget);
        if (ReplacePieces(Get(match, "replace").Scalar(), Get(match, "vars"), globals, pieces,
                          snippet.skip))
            snippet.pieces = pieces.Take();
    }
    // One snippet per trigger, the pieces copied: each copy counts again.
    bool first = true;
    return eachTrigger([&](const std::string& abbreviation) {
        if (!first && !TakeCopy(snippet.pieces, budget)) return false;
        first = false;
        Snippet one;
        SetAbbreviation(one, abbreviation);
        one.pieces = snippet.pieces;
        one.skip = snippet.skip;
        return Emit(std::move(one), budget, sink);
    });
}

}  // namespace

SnippetReader EspansoReader(std::string_view utf8) {
    // The document, loaded once for every reading.
    struct Document {
        YAML::Node root;
        std::string error;
    };
    auto document = std::make_shared<Document>();
    try {
        std::stringstream in{std::string(utf8)};
        YAML::Parser parser(in);
        ValueCounter counter;
        parser.HandleNextDocument(counter);
        in.str({});
        document->root = YAML::Load(std::string(utf8));
    } catch (const ValueCounter::TooMany&) {
        document->error =
            "holds more than 250,000 YAML values (lists, maps and texts), more than one import "
            "takes";
    } catch (const YAML::Exception& e) {
        document->error =
            "is not valid YAML (line " + std::to_string(e.mark.line + 1) + ": " + e.msg + ")";
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        document->error = "could not be read as YAML";
    }
    return [document](Budget& budget, const SnippetSink& sink) -> std::string {
        if (!document->error.empty()) return document->error;
        const YAML::Node& root = document->root;
        const YAML::Node matches = root.IsMap() ? Get(root, "matches") : YAML::Node();
        if (!matches.IsSequence()) return "is no espanso match file (it has no \"matches:\" list)";
        const YAML::Node globals = Get(root, "global_vars");
        std::size_t number = 0;
        try {
            for (const auto& match : matches)
                if (!ReadMatch(match, ++number, globals, budget, sink)) break;
        } catch (const YAML::Exception& e) {
            return "is not valid YAML (line " + std::to_string(e.mark.line + 1) + ": " + e.msg +
                   ")";
        }
        return {};
    };
}

bool DateFormatPieces(std::string_view format, PieceBuilder& out, std::string& why) {
    // Conversions without a flag, and those with "-" (no padding).
    static constexpr struct {
        const char* conversion;
        const char* macro;
    } kPlain[] = {
        {"%I:%M:%S %p", macro::kTime12},
        {"%H:%M:%S", macro::kTime24},
        {"%Y", macro::kYear},
        {"%m", macro::kMonth02},
        {"%-m", macro::kMonth},
        {"%d", macro::kDay02},
        {"%-d", macro::kDay},
        {"%b", macro::kMonthName},
        {"%h", macro::kMonthName},
        {"%B", macro::kFullMonthName},
        {"%a", macro::kWeekName},
        {"%A", macro::kFullWeekName},
        {"%w", macro::kWeek},
        {"%H", macro::kHour24_02},
        {"%-H", macro::kHour24},
        {"%I", macro::kHour12_02},
        {"%-I", macro::kHour12},
        {"%M", macro::kMinute02},
        {"%-M", macro::kMinute},
        {"%S", macro::kSecond02},
        {"%-S", macro::kSecond},
        {"%x", macro::kDate},
        {"%T", macro::kTime24},
        {"%X", macro::kTime24},
        {"%r", macro::kTime12},
    };
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] != '%') {
            out.Char(format[i++]);
            continue;
        }
        std::string_view rest = format.substr(i);
        bool done = false;
        for (const auto& p : kPlain) {
            if (rest.substr(0, std::char_traits<char>::length(p.conversion)) == p.conversion) {
                out.Macro(p.macro);
                i += std::char_traits<char>::length(p.conversion);
                done = true;
                break;
            }
        }
        if (done) continue;
        const std::string_view two = rest.substr(0, 2);
        if (two == "%%") {
            out.Char('%');
        } else if (two == "%n") {
            out.Macro(macro::kReturn);
        } else if (two == "%t") {
            out.Char('\t');
        } else if (two == "%R") {
            out.Macro(macro::kHour24_02);
            out.Char(':');
            out.Macro(macro::kMinute02);
        } else if (two == "%F") {
            out.Macro(macro::kYear);
            out.Char('-');
            out.Macro(macro::kMonth02);
            out.Char('-');
            out.Macro(macro::kDay02);
        } else {
            // The conversion with its flag, if any, for the reason.
            std::size_t length = rest.size() > 1 && (rest[1] == '-' || rest[1] == '_' ||
                                                     rest[1] == '0' || rest[1] == '.')
                                     ? 3
                                     : 2;
            why = "has the date conversion " + std::string(rest.substr(0, length)) +
                  ", which no macro of this program writes";
            return false;
        }
        i += 2;
    }
    return true;
}

}  // namespace wl::snippets
