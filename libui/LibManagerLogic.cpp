#include "libui/LibManagerLogic.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "store/LibraryConvert.h"

namespace wl {

namespace {

constexpr char kExtension[] = ".lib";
// The longest full path the program handles (its path buffers hold 260 bytes
// with the terminator).
constexpr std::size_t kMaxPath = 259;

bool EndsWithNoCase(const std::string& s, const char* tail) {
    const std::string t(tail);
    if (s.size() < t.size()) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[s.size() - t.size() + i])) !=
            std::tolower(static_cast<unsigned char>(t[i])))
            return false;
    }
    return true;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Device names that Windows reserves whatever the extension.
bool IsReservedName(const std::string& fileName) {
    const std::string base = Upper(fileName.substr(0, fileName.find('.')));
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* n : kNames)
        if (base == n) return true;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
        base[3] >= '1' && base[3] <= '9')
        return true;
    return false;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

UiMessage Error(std::string text) {
    return {std::move(text), kTitleError, UiMessage::Icon::Stop};
}

// Without its extension, as the caption of a new library.
std::string WithoutExtension(const std::string& file) {
    return EndsWithNoCase(file, kExtension) ? file.substr(0, file.size() - (sizeof kExtension - 1))
                                            : file;
}

// The file name of a path in quotes (built step by step: GCC 12 at -O3
// warns falsely about "x" + string).
std::string QuotedName(const std::string& path) {
    std::string quoted = "\"";
    quoted.append(FileNameOf(path)).append("\"");
    return quoted;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

const char* LibraryEncodingText(std::int32_t encoding) {
    if (encoding == EncodingUtf8) return "Unicode (UTF-8)";
    if (encoding == EncodingCodePage) return "Code page";
    return "Unknown (read-only)";
}

UiMessage UnknownEncodingMessage(const std::string& path) {
    return {"The library " + QuotedName(path) +
                " was made by a newer version of Wordlark, or its file is damaged: this "
                "version does not know how its text is stored. It can only be read: Wordlark "
                "leaves it as it is, does not open it for editing and offers none of its entries.",
            kTitleInfo, UiMessage::Icon::Exclamation};
}

const char* LibraryTypeText(int type) {
    if (type == Dictionary) return "Dictionary";
    if (type == Shorthand) return "Shorthand";
    return "";
}

LibManagerLogic::LibManagerLogic(Registry& registry, Directory& directory, const CodePage& codePage,
                                 std::string libsFolder)
    : directory_(directory),
      codePage_(codePage),
      set_(registry, directory, codePage),
      folder_(std::move(libsFolder)),
      converter_(ConvertToUnicode) {
    while (!folder_.empty() && (folder_.back() == '\\' || folder_.back() == '/'))
        folder_.pop_back();
}

std::string LibManagerLogic::PathOf(const std::string& fileName) const {
    return folder_ + PathSeparator() + fileName;
}

std::string LibManagerLogic::Pattern() const {
    return LibraryPatternIn(folder_);
}

void LibManagerLogic::Fill(bool keepChecks) {
    std::map<std::string, bool> kept;
    if (keepChecks)
        for (const LibraryRow& r : rows_) kept[r.path] = r.checked;
    rows_.clear();
    const std::string pattern = Pattern();
    set_.UnloadAll();
    if (pattern.empty()) return;
    // Libraries that fail to open are listed as well (Load answers 0 when
    // none opened, yet lists them all).
    set_.Load(pattern.c_str(), 1);
    for (int i = 0; i < set_.GetCount(); ++i) {
        Library* lib = set_.GetLibrary(i);
        if (!lib) continue;
        LibraryRow row;
        row.path = set_.GetPath(i);
        row.caption = lib->GetCaption();
        row.typeText = LibraryTypeText(lib->GetType());
        row.editable = lib->GetEditable();
        row.editText = lib->GetEditable() == 1 ? "Enable" : "Disable";
        row.description = lib->GetDescription();
        row.opened = lib->IsOpen() != 0;
        row.encoding = lib->GetEncoding();
        row.encodingText = row.opened ? LibraryEncodingText(row.encoding) : "";
        // A library without a caption of its own shows its file name.
        row.captionEncoding = row.caption == FileNameOf(row.path) ? EncodingCodePage : row.encoding;
        auto k = kept.find(row.path);
        row.checked = k != kept.end() ? k->second : set_.IsLoadEnabled(row.path.c_str()) != 0;
        row.index = i;
        rows_.push_back(std::move(row));
    }
}

void LibManagerLogic::SetChecked(int row, bool checked) {
    if (row >= 0 && row < static_cast<int>(rows_.size())) rows_[row].checked = checked;
}

int LibManagerLogic::RowOfPath(const std::string& path) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].path == path) return static_cast<int>(i);
    return -1;
}

void LibManagerLogic::WriteSwitches() {
    for (const LibraryRow& r : rows_) {
        if (r.index < 0) continue;
        set_.SetLoadEnabled(set_.GetPath(r.index), r.checked ? 1 : 0);
    }
}

LibManagerLogic::EditRequest LibManagerLogic::EditRow(int row) const {
    EditRequest req;
    if (row < 0 || row >= static_cast<int>(rows_.size())) return req;
    req.path = rows_[row].path;
    req.mayChange = rows_[row].editable;
    if (rows_[row].opened && rows_[row].encoding == EncodingUnknown) {
        req.refusal = UnknownEncodingMessage(req.path);
        return req;
    }
    req.valid = true;
    return req;
}

bool LibManagerLogic::CanConvert(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
    return rows_[row].opened && rows_[row].encoding == EncodingCodePage;
}

UiMessage LibManagerLogic::ConvertQuestion(int row) const {
    if (!CanConvert(row)) return {};
    return {"Convert the library " + QuotedName(rows_[row].path) +
                " to Unicode?\r\n\r\nIt can then hold any character. Its entries, weights, "
                "switches and name are kept, and the file is replaced only once the new one is "
                "complete. A library cannot be converted back, and versions of Wordlark without "
                "Unicode libraries show its letters beyond English wrongly.",
            kTitleInfo, UiMessage::Icon::Question, true};
}

LibManagerLogic::ConvertResult LibManagerLogic::Convert(int row, ImportProgress* progress) {
    ConvertResult result;
    if (!CanConvert(row)) return result;
    const std::string path = rows_[row].path;
    const std::string quoted = QuotedName(path);
    // The file is replaced: no handle of this set may hold it meanwhile.
    set_.UnloadAll();
    std::string error;
    const int answer = converter_ ? converter_(path, codePage_, progress, &error) : 0;
    // The file itself says whether it became UTF-8.
    bool utf8 = false;
    if (IsFile(path)) {
        Library check(codePage_);
        utf8 = check.Open(path.c_str()) && check.GetEncoding() == EncodingUtf8;
        check.Close();
    }
    result.converted = utf8 && (answer > 0 || (answer == 0 && error.empty()));
    if (result.converted) {
        result.message = {"The library " + quoted +
                              " is now a Unicode library: it can hold any "
                              "character.",
                          kTitlePlain, UiMessage::Icon::Information};
    } else if (progress && progress->Cancelled()) {
        result.message = {"The conversion of the library " + quoted +
                              " was cancelled. The library was left as it was.",
                          kTitlePlain, UiMessage::Icon::Information};
    } else {
        if (error.empty()) error = "the converted library could not be written";
        result.message =
            Error("The library " + quoted + " could not be converted to Unicode: " + error +
                  ".\r\nThe library was left as it was.");
    }
    Fill(true);
    return result;
}

UiMessage LibManagerLogic::CheckNewName(const std::string& typed, std::string& fileName) const {
    fileName.clear();
    const std::string name = Trim(typed);
    if (name.empty())
        return {"Please enter a file name for the new library.", kTitleInfo,
                UiMessage::Icon::Information};
    if (folder_.empty()) return Error("The Libs folder of Wordlark could not be found.");
    const CodePage& cp = codePage_;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (cp.IsLeadByte(c) && i + 1 < name.size()) {
            ++i;  // a double-byte character: its trail byte may look like '\'
            continue;
        }
        if (c == '\\' || c == '/')
            return Error("The library name must be a file name only, without \\ or /.");
        if (c < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' ||
            c == '*')
            return Error(
                "The library name must not contain any of these characters:\n< > : \" | ? *");
    }
    std::string file = name;
    if (!EndsWithNoCase(file, kExtension)) file += kExtension;
    if (file == kExtension || file.find_first_not_of('.') == std::string::npos)
        return Error("\"" + name + "\" is not a valid library name.");
    if (IsReservedName(file))
        return Error("\"" + name + "\" is a name reserved by Windows. Please choose another name.");
    if (PathOf(file).size() > kMaxPath)
        return Error("The library name is too long. Please choose a shorter name.");
    fileName = file;
    return {};
}

LibManagerLogic::NewResult LibManagerLogic::CreateLibrary(const std::string& name, int type) {
    return Create(name, type, false, {});
}

LibManagerLogic::NewResult LibManagerLogic::CreateLibraryAsTyped(const std::string& typedName,
                                                                 int type, bool unicode) {
    std::string name;
    if (!codePage_.FromUtf8(typedName, name)) {
        NewResult result;
        result.message = Error(
            "The library's file name may hold only characters of the system's code page. "
            "Please choose another name; the library's name inside may hold any character once "
            "it is made.");
        return result;
    }
    return Create(name, type, unicode, Trim(typedName));
}

LibManagerLogic::NewResult LibManagerLogic::Create(const std::string& name, int type, bool unicode,
                                                   const std::string& typedName) {
    NewResult result;
    std::string file;
    result.message = CheckNewName(name, file);
    if (!result.message.empty()) return result;
    const std::string path = PathOf(file);
    // An existing file of that name (letter case ignored, as Windows does).
    std::vector<DirEntry> found;
    if (directory_.List(path, found) && !found.empty()) {
        result.message =
            Error("A library named \"" + file + "\" already exists. Please choose another name.");
        return result;
    }
    Library lib(codePage_);
    if (!lib.Open(path.c_str())) {
        result.message = Error("The library \"" + file + "\" could not be created.");
        return result;
    }
    lib.SetType(type == Shorthand ? Shorthand : Dictionary);
    lib.SetEditable(1);
    if (unicode) lib.SetEncoding(EncodingUtf8);
    // A UTF-8 library's caption is UTF-8: the name as typed.
    const std::string caption = WithoutExtension(unicode ? typedName : file);
    lib.SetCaption(caption.c_str(), static_cast<int>(caption.size()));
    lib.SetDescription("", 0);
    const int written = lib.WriteInfo();
    lib.Close();
    if (!written) {
        result.message = Error("The library \"" + file + "\" could not be created.");
        return result;
    }
    result.created = true;
    result.path = path;
    return result;
}

}  // namespace wl
