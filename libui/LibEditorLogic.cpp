#include "libui/LibEditorLogic.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "libui/LibManagerLogic.h"
#include "macros/MacroNames.h"
#include "platform/Files.h"
#include "res/libui_resource.h"

namespace wl {

namespace {

// An entry built from a key and a text held in strings.
struct TextEntry : LibraryEntry {
    TextEntry(const std::string& key, const std::string& text) {
        SetKey(key.data(), static_cast<std::uint32_t>(key.size()));
        SetText(text.data(), static_cast<std::uint32_t>(text.size()));
    }
};

// The commands of the macro menu and the texts they insert.
constexpr struct {
    int command;
    const char* text;
} kMacros[] = {
    {ID_MACRO_CARET, macro::kCaret},
    {ID_MACRO_DATE, macro::kDate},
    {ID_MACRO_YEAR, macro::kYear},
    {ID_MACRO_MONTH, macro::kMonth},
    {ID_MACRO_MONTH_02, macro::kMonth02},
    {ID_MACRO_MONTHNAME, macro::kMonthName},
    {ID_MACRO_FULLMONTHNAME, macro::kFullMonthName},
    {ID_MACRO_DAY, macro::kDay},
    {ID_MACRO_DAY_02, macro::kDay02},
    {ID_MACRO_WEEK, macro::kWeek},
    {ID_MACRO_WEEKNAME, macro::kWeekName},
    {ID_MACRO_FULLWEEKNAME, macro::kFullWeekName},
    {ID_MACRO_TIME_24, macro::kTime24},
    {ID_MACRO_TIME_12, macro::kTime12},
    {ID_MACRO_HOUR_24, macro::kHour24},
    {ID_MACRO_HOUR_24_02, macro::kHour24_02},
    {ID_MACRO_HOUR_12, macro::kHour12},
    {ID_MACRO_HOUR_12_02, macro::kHour12_02},
    {ID_MACRO_MINUTE, macro::kMinute},
    {ID_MACRO_MINUTE_02, macro::kMinute02},
    {ID_MACRO_SECOND, macro::kSecond},
    {ID_MACRO_SECOND_02, macro::kSecond02},
};

// Said when a library file refuses a change; the user can do something
// about it, unlike about a damaged file.
std::string MayNotWrite(const std::string& path) {
    return "Wordlark may not write to the library file \"" + path +
           "\". Ask an administrator for write access to Wordlark's Libs folder, or run the "
           "Wordlark installer, which gives every user write access to it.";
}

// Whether an existing file refuses to be opened for writing.
bool RefusesWriting(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return true;
    std::fclose(f);
    return false;
}

}  // namespace

LibEditorLogic::LibEditorLogic(std::string path, int mayChange, const CodePage& codePage)
    : path_(std::move(path)), mayChange_(mayChange), codePage_(codePage), library_(codePage) {}

bool LibEditorLogic::Open() {
    open_ = library_.Open(path_.c_str()) != 0;
    // Never edited, and never written on OK, whatever the permission.
    unknownEncoding_ = open_ && library_.IsReadOnly();
    if (unknownEncoding_) {
        library_.Close();
        open_ = false;
    }
    buttons_ = Buttons{};
    buttons_.importFile = open_;
    buttons_.exportFile = open_;
    return open_;
}

UiMessage LibEditorLogic::OpenFailure() const {
    if (unknownEncoding_) return UnknownEncodingMessage(path_);
    if (RefusesWriting(path_))
        return {"The library could not be opened for editing. " + MayNotWrite(path_), kTitleError,
                UiMessage::Icon::Stop};
    return {"The library \"" + path_ + "\" could not be opened: it is damaged or no library.",
            kTitleError, UiMessage::Icon::Stop};
}

void LibEditorLogic::Close() {
    library_.Close();
    open_ = false;
    buttons_.importFile = buttons_.exportFile = false;
}

std::int32_t LibEditorLogic::CaptionEncoding() {
    return Caption() == FileNameOf(path_) ? EncodingCodePage : Encoding();
}

UiMessage LibEditorLogic::FromTyped(const std::string& typed, std::string& stored,
                                    std::size_t maxBytes) const {
    stored.clear();
    if (!IsUtf8(typed))
        return {"The text is not valid Unicode and was not stored.", kTitleError,
                UiMessage::Icon::Stop};
    if (IsUnicode()) {
        stored = typed;
    } else if (!codePage_.FromUtf8(typed, stored)) {
        // Names the first character the code page has no byte for.
        std::string one, shown;
        char32_t c = 0;
        for (std::size_t at = 0, next = 0; NextUtf8(typed, next, c); at = next) {
            if (!codePage_.FromUtf8(std::string_view(typed).substr(at, next - at), one)) {
                shown = typed.substr(at, next - at);
                break;
            }
        }
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        UiMessage refusal{"The character \"" + shown + "\" (" + code +
                              ") cannot be stored in this library: it holds only the characters "
                              "of the system's code page. Convert the library to Unicode in the "
                              "Libraries Manager to store any character.",
                          kTitleError, UiMessage::Icon::Stop};
        refusal.utf8 = true;
        stored.clear();
        return refusal;
    }
    if (maxBytes && stored.size() > maxBytes) {
        stored.clear();
        return {"The text is too long: the library takes at most " + std::to_string(maxBytes) +
                    " bytes here.",
                kTitleError, UiMessage::Icon::Stop};
    }
    return {};
}

const char* LibEditorLogic::KeyColumnTitle() const {
    return Type() == Shorthand ? "Shorthand" : "Spelling";
}
const char* LibEditorLogic::TextColumnTitle() const {
    return Type() == Shorthand ? "Full Text" : "Remark";
}
int LibEditorLogic::RowImage() const {
    return Type() == Dictionary || Type() == Shorthand ? Type() - 1 : -1;
}

void LibEditorLogic::ListFrom(const std::string& text, ListingProgress* progress) {
    rows_.clear();
    buttons_.del = false;
    if (!open_) {
        libraryCount_ = 0;
        return;
    }
    LibraryEntry entry;
    library_.SearchExact(text.c_str(), entry, MATCH_PREFIX);
    libraryCount_ = library_.Count();
    if (progress) progress->Begin(libraryCount_);
    rows_.reserve(static_cast<std::size_t>(libraryCount_ > 0 ? libraryCount_ : 0));
    // The exact search may have landed on a key it did not accept; that
    // entry is listed first all the same, and the walk goes on from it.
    if (entry.key())
        rows_.push_back({std::string(entry.keyBytes()), std::string(entry.textBytes())});
    while (library_.Next(entry)) {
        rows_.push_back({std::string(entry.keyBytes()), std::string(entry.textBytes())});
        if (progress && !progress->Step()) break;
    }
}

std::string LibEditorLogic::CountText() const {
    char buf[96];
    std::snprintf(buf, sizeof buf, "Items in library: %d\r\nItems Loaded:%d",
                  static_cast<int>(libraryCount_), static_cast<int>(rows_.size()));
    return buf;
}

bool LibEditorLogic::OnSelectionChanged(int selectedCount, int firstSelected, std::string& query,
                                        std::string& fullText) {
    buttons_.del = true;
    if (selectedCount != 1 || firstSelected < 0 || firstSelected >= static_cast<int>(rows_.size()))
        return false;
    const EditorRow& row = rows_[static_cast<std::size_t>(firstSelected)];
    Remember(row.key, row.text);
    query = row.key;
    fullText = row.text;
    return true;
}

void LibEditorLogic::Remember(const std::string& key, const std::string& text) {
    selectedKey_ = key;
    selectedText_ = text;
    // The boxes now show the remembered entry: nothing to add or save.
    ApplyQueryRule(key);
    OnFullTextChanged(text);
}

void LibEditorLogic::ApplyQueryRule(const std::string& query) {
    if (query.empty()) {
        buttons_.add = false;
        buttons_.save = false;
    } else if (query == selectedKey_) {
        buttons_.add = false;
    } else {
        buttons_.add = true;
        buttons_.save = false;
    }
}

void LibEditorLogic::OnQueryChanged(const std::string& query) {
    ApplyQueryRule(query);
}

void LibEditorLogic::OnFullTextChanged(const std::string& fullText) {
    buttons_.save = fullText != selectedText_;
}

void LibEditorLogic::OnQueryTyped(const std::string& typed) {
    std::string query;
    if (FromTyped(typed, query, kMaxKeyBytes).empty()) {
        ApplyQueryRule(query);
    } else {
        buttons_.add = true;
        buttons_.save = false;
    }
}

void LibEditorLogic::OnFullTextTyped(const std::string& typed) {
    std::string text;
    buttons_.save = !FromTyped(typed, text, kMaxTextBytes).empty() || text != selectedText_;
}

UiMessage LibEditorLogic::TakeTyped(const std::string& query, const std::string& fullText,
                                    std::string& key, std::string& text) const {
    UiMessage refusal = FromTyped(query, key, kMaxKeyBytes);
    if (refusal.empty()) refusal = FromTyped(fullText, text, kMaxTextBytes);
    return refusal;
}

LibEditorLogic::Outcome LibEditorLogic::AddTyped(const std::string& query,
                                                 const std::string& fullText) {
    std::string key, text;
    Outcome out;
    out.message = TakeTyped(query, fullText, key, text);
    return out.message.empty() ? Add(key, text) : out;
}

LibEditorLogic::Outcome LibEditorLogic::SaveTyped(const std::string& query,
                                                  const std::string& fullText) {
    std::string key, text;
    Outcome out;
    out.message = TakeTyped(query, fullText, key, text);
    return out.message.empty() ? Save(key, text) : out;
}

LibEditorLogic::Outcome LibEditorLogic::Add(const std::string& query, const std::string& fullText) {
    Outcome out;
    LibraryEntry found;
    if (library_.SearchExact(query.c_str(), found, MATCH_PREFIX)) {
        out.message = {"This data had in database! ", kTitlePlain, UiMessage::Icon::Stop};
        return out;
    }
    if (library_.Put(TextEntry(query, fullText))) {
        out.message = {"Add data Succeed ", kTitlePlain, UiMessage::Icon::Exclamation};
        Remember(query, fullText);
    } else {
        // Not stored: the user must not take it for added.
        out.message = {"The entry could not be added. " + MayNotWrite(path_), kTitleError,
                       UiMessage::Icon::Stop};
    }
    out.relist = true;
    out.relistFrom = query;
    return out;
}

LibEditorLogic::Outcome LibEditorLogic::Save(const std::string& query,
                                             const std::string& fullText) {
    Outcome out;
    TextEntry entry(query, fullText);
    if (library_.Replace(entry, entry)) {
        out.message = {"Save Succeed!", kTitlePlain, UiMessage::Icon::None};
        Remember(query, fullText);
    } else {
        out.message = {"Save Failed!", kTitlePlain, UiMessage::Icon::None};
    }
    out.relist = true;
    out.relistFrom = query;
    return out;
}

UiMessage LibEditorLogic::DeleteQuestion() {
    return {"Are you sure you want to delete the items?", kTitleInfo, UiMessage::Icon::Question,
            true};
}

LibEditorLogic::Outcome LibEditorLogic::DeleteRows(const std::vector<int>& rows) {
    Outcome out;
    if (rows.empty()) {
        out.message = {"Please select the items to delete! ", kTitleError, UiMessage::Icon::Stop};
        return out;
    }
    // The list shows the library as it is afterwards, also when a delete
    // failed half-way.
    out.relist = true;
    for (int r : rows) {
        if (r < 0 || r >= static_cast<int>(rows_.size())) continue;
        const std::string& key = rows_[static_cast<std::size_t>(r)].key;
        if (key.empty()) continue;
        if (!library_.Delete(TextEntry(key, std::string()))) {
            out.message = {"Delete Failed!", kTitleError, UiMessage::Icon::Stop};
            return out;
        }
    }
    out.message = {"Delete Succeed!", kTitleInfo, UiMessage::Icon::Information};
    return out;
}

LibEditorLogic::Outcome LibEditorLogic::Import(const std::string& file, ImportProgress* progress) {
    try {
        return ImportFile(file, progress);
    } catch (const std::bad_alloc&) {
        // The program goes on; the entries stored before stay.
        Outcome out;
        out.relist = true;
        // Built step by step: GCC 12 at -O3 warns falsely about "x" + string.
        std::string text = "\"";
        text.append(FileNameOf(file))
            .append(
                "\" could not be imported: there is not enough memory. What was imported "
                "before stays in the library.");
        out.message = {text, kTitleError, UiMessage::Icon::Stop};
        return out;
    }
}

LibEditorLogic::Outcome LibEditorLogic::ImportFile(const std::string& file,
                                                   ImportProgress* progress) {
    Outcome out;
    out.relist = true;
    if (const SnippetFormat format = SnippetFormatOfFile(file); format != SnippetFormat::None) {
        const SnippetImportResult result = ImportSnippets(library_, file, format, progress);
        const std::string summary = SnippetSummary(result, "\r\n");
        if (!result.error.empty())
            out.message = {summary, kTitleError, UiMessage::Icon::Stop};
        else if (result.skipped > 0)
            out.message = {summary, kTitlePlain, UiMessage::Icon::Exclamation};
        else
            out.message = {summary, kTitlePlain, UiMessage::Icon::Information};
        return out;
    }
    int n = library_.ImportText(file.c_str(), progress);
    // A file without marker pairs is a word list; a cancelled import is not
    // started again as one.
    if (n <= 0 && !(progress && progress->Cancelled()))
        n = library_.ImportWordList(file.c_str(), progress);
    out.message = {std::to_string(n) + " items have been successfully imported ", kTitlePlain,
                   UiMessage::Icon::Information};
    return out;
}

LibEditorLogic::Outcome LibEditorLogic::Export(const std::string& file, ImportProgress* progress) {
    Outcome out;
    Library second(codePage_);
    int n = 0;
    if (second.Open(path_.c_str())) n = second.ExportText(file.c_str(), progress);
    second.Close();
    out.message = {std::to_string(n) + " items have been successfully exported ", kTitlePlain,
                   UiMessage::Icon::Information};
    return out;
}

bool LibEditorLogic::WriteInfo(int type, const std::string& name, const std::string& description) {
    // A library that did not open keeps its path, but its file is not one
    // to write to (the opening told the user why).
    if (mayChange_ != 1 || !open_) return false;
    if (type == Dictionary || type == Shorthand) library_.SetType(type);
    library_.SetDescription(description.c_str(), static_cast<int>(description.size()));
    library_.SetCaption(name.c_str(), static_cast<int>(name.size()));
    return library_.WriteInfo() != 0;
}

UiMessage LibEditorLogic::SaveInfo(int type, const std::string& name,
                                   const std::string& description) {
    if (WriteInfo(type, name, description) || mayChange_ != 1 || !open_) return {};
    return {"The library's name, type and description could not be saved. " + MayNotWrite(path_),
            kTitleError, UiMessage::Icon::Stop};
}

const char* LibEditorLogic::MacroText(int command) {
    for (const auto& m : kMacros)
        if (m.command == command) return m.text;
    return nullptr;
}

}  // namespace wl
