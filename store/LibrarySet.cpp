#include "store/LibrarySet.h"

#include "platform/Files.h"

#include "platform/CodePage.h"
#include "platform/RegistryLayout.h"

namespace wl {
namespace {

// The UTF-8 form of a code-page text; false when there is none.
bool CodePageToUtf8(const CodePage& page, std::string_view text, std::string& out) {
    return page.ToUtf8(text, out);
}

bool IsAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

int CompareBytes(const std::string& a, const std::string& b) {
    return a.compare(b);
}

}  // namespace

LibrarySet::LibrarySet(Registry& registry, Directory& directory, const CodePage& codePage)
    : registry_(registry),
      directory_(directory),
      codePage_(codePage),
      switchKey_(std::string(reg::kRoot) + reg::kLoadSetPrefix) {}

LibrarySet::~LibrarySet() {
    UnloadAll();
}

std::string LibsFolderOf(const std::string& programFolder) {
    if (programFolder.empty()) return {};
    std::string folder = programFolder;
    if (folder.back() != '\\' && folder.back() != '/') folder += PathSeparator();
    return folder + kLibsFolder;
}

std::string LibraryPatternIn(const std::string& folder) {
    if (folder.empty()) return {};
    if (folder.back() == '\\' || folder.back() == '/') return folder + kLibraryPattern;
    return folder + PathSeparator() + kLibraryPattern;
}

int LibrarySet::LoadFolder(const std::string& folder, int loadAll) {
    return Load(LibraryPatternIn(folder).c_str(), loadAll);
}

int LibrarySet::Load(const char* pattern, int loadAll) {
    UnloadAll();
    if (!pattern || !*pattern) return 0;
    std::vector<DirEntry> entries;
    if (!directory_.List(pattern, entries)) return 0;
    std::string folder = FolderOf(pattern);
    for (const DirEntry& e : entries) {
        std::string path = folder + e.name;
        if (!path.empty() && (loadAll || IsLoadEnabled(path.c_str()))) paths_.push_back(path);
    }
    if (paths_.empty()) return 0;
    count_ = static_cast<int>(paths_.size());
    slots_ = std::make_unique<LibraryEntry[]>(static_cast<std::size_t>(count_));
    for (int i = 0; i < count_; ++i) libraries_.emplace_back(codePage_);
    checked_.assign(paths_.size(), Clock::now());
    int opened = 0;
    for (int i = 0; i < count_; ++i) {
        if (!libraries_[i].Open(paths_[i].c_str())) continue;
        ++opened;
        if (libraries_[i].GetEncoding() == EncodingUtf8) unicode_ = true;
    }
    mergeKeys_.assign(paths_.size(), std::string());
    mergeFresh_.assign(paths_.size(), 0);
    return opened ? 1 : 0;
}

void LibrarySet::UnloadAll() {
    for (int i = 0; i < count_; ++i) libraries_[i].Close();
    paths_.clear();
    slots_.reset();
    libraries_.clear();
    checked_.clear();
    unicode_ = false;
    mergeKeys_.clear();
    mergeFresh_.clear();
    ranked_.Reset(0);
    context_.Close();
    contextLibrary_ = -1;
    contextSought_ = false;
    count_ = 0;
}

const ContextModel* LibrarySet::Context() {
    if (!contextSought_) {
        contextSought_ = true;
        for (int i = 0; i < count_ && contextLibrary_ < 0; ++i)
            if (libraries_[i].IsOpen() && libraries_[i].GetType() == Dictionary &&
                context_.Open(paths_[static_cast<std::size_t>(i)],
                              libraries_[i].GetEncoding() == EncodingUtf8))
                contextLibrary_ = i;
    }
    if (contextLibrary_ < 0) return nullptr;
    if (!StillLoaded(contextLibrary_, true)) {
        context_.Close();
        contextLibrary_ = -1;
        return nullptr;
    }
    return &context_;
}

std::string LibrarySet::SwitchKey(const char* path) const {
    return switchKey_ + (path ? path : "");
}

std::uint8_t LibrarySet::IsLoadEnabled(const char* path) {
    std::uint8_t enabled = 1;
    RegKey key(registry_, RegRoot::LocalMachine, SwitchKey(path), true);
    key.ReadInto(reg::kCandLoad, enabled);
    return enabled;
}

void LibrarySet::SetLoadEnabled(const char* path, std::uint8_t enabled) {
    RegKey key(registry_, RegRoot::LocalMachine, SwitchKey(path), true);
    key.WriteBinary(reg::kCandLoad, enabled);
}

const char* LibrarySet::GetPath(int i) const {
    return i >= 0 && i < count_ ? paths_[static_cast<std::size_t>(i)].c_str() : "";
}

Library* LibrarySet::GetLibrary(int i) {
    return i >= 0 && i < count_ ? &libraries_[i] : nullptr;
}

std::string LibrarySet::Normalize(const char* word) {
    static const char* const kPairs[][2] = {{"is ", "be "}, {"are ", "be "}, {"am ", "be "}};
    std::string text = word ? word : "";
    for (const auto& pair : kPairs) {
        std::string from = pair[0], to = pair[1];
        std::string out;
        std::size_t start = 0;
        for (std::size_t at; (at = text.find(from, start)) != std::string::npos;
             start = at + from.size())
            out.append(text, start, at - start).append(to);
        out.append(text, start, std::string::npos);
        text.swap(out);
    }
    return text;
}

bool LibrarySet::Eligible(const LibraryEntry& slot) const {
    if (slot.type == Dictionary) return dictionaryEnabled_ != 0;
    if (slot.type == Shorthand) return shorthandEnabled_ != 0;
    return true;
}

std::string LibrarySet::MergeKey(const char* key, std::int32_t encoding) const {
    if (encoding == EncodingUtf8) return Utf8Page().Fold(key);
    std::string utf8;
    if (CodePageToUtf8(codePage_, key, utf8)) return Utf8Page().Fold(utf8);
    return codePage_.Fold(key);
}

int LibrarySet::MergeCompare(const char* a, std::int32_t aEncoding, const char* b,
                             std::int32_t bEncoding) const {
    if (!unicode_) return codePage_.CompareNoCase(a, b);
    // ASCII is the same text in either encoding.
    std::string x, y;
    const char* pa = a;
    const char* pb = b;
    bool converted = true;
    if (aEncoding != EncodingUtf8 && !IsAscii(a)) {
        converted = CodePageToUtf8(codePage_, a, x);
        pa = x.c_str();
    }
    if (converted && bEncoding != EncodingUtf8 && !IsAscii(b)) {
        converted = CodePageToUtf8(codePage_, b, y);
        pb = y.c_str();
    }
    if (converted) return Utf8Page().CompareNoCase(pa, pb);
    return CompareBytes(MergeKey(a, aEncoding), MergeKey(b, bEncoding));
}

bool LibrarySet::Recode(const std::string& key, std::int32_t from, std::int32_t to,
                        std::string& out) const {
    if (from == to) {
        out = key;
        return true;
    }
    if (from == EncodingCodePage && to == EncodingUtf8) return CodePageToUtf8(codePage_, key, out);
    if (from == EncodingUtf8 && to == EncodingCodePage) return codePage_.FromUtf8(key, out);
    return false;
}

const char* LibrarySet::WordFor(int i, const std::string* codePageWord,
                                const std::string* utf8Word) const {
    switch (libraries_[i].GetEncoding()) {
        case EncodingCodePage:
            return codePageWord ? codePageWord->c_str() : nullptr;
        case EncodingUtf8:
            // Nothing typed in either (the next word): every key.
            if (utf8Word && utf8Word->empty() && codePageWord && codePageWord->empty()) return "";
            return utf8Word && !utf8Word->empty() ? utf8Word->c_str() : nullptr;
        default:
            return nullptr;  // an encoding this program does not know
    }
}

int LibrarySet::FindFirst(const char* word, LibraryEntry& entry, int mode, int dictionaryEnabled,
                          int shorthandEnabled) {
    const char* codePageWord = word ? word : "";
    std::string utf8;
    if (!CodePageToUtf8(codePage_, codePageWord, utf8)) utf8.clear();
    return FindFirst(TypedWord{codePageWord, utf8.c_str()}, entry, mode, dictionaryEnabled,
                     shorthandEnabled);
}

int LibrarySet::FindFirst(const TypedWord& word, LibraryEntry& entry, int mode,
                          int dictionaryEnabled, int shorthandEnabled) {
    dictionaryEnabled_ = dictionaryEnabled;
    shorthandEnabled_ = shorthandEnabled;
    const std::string codePageWord = word.codePage ? Normalize(word.codePage) : std::string();
    const std::string utf8Word = word.utf8 ? Normalize(word.utf8) : std::string();
    int best = -1;
    for (int i = 0; i < count_; ++i) {
        LibraryEntry& slot = slots_[i];
        // A library that is no longer loaded must not offer the head of an
        // earlier lookup that was not read to its end.
        if (!StillLoaded(i, false)) {
            slot.Clear();
            continue;
        }
        const char* w = WordFor(i, word.codePage ? &codePageWord : nullptr, &utf8Word);
        if (!w) {
            slot.Clear();
            continue;
        }
        if (!libraries_[i].Search(w, slot, mode) || !Eligible(slot)) continue;
        mergeFresh_[static_cast<std::size_t>(i)] = 0;
        if (best < 0 || Before(i, best)) best = i;
    }
    if (best < 0) return 0;
    return Deliver(best, entry);
}

int LibrarySet::FindNext(LibraryEntry& entry) {
    int best = -1;
    for (int i = 0; i < count_; ++i) {
        LibraryEntry& slot = slots_[i];
        if (!slot.key() || !Eligible(slot)) continue;
        if (best < 0 || Before(i, best)) best = i;
    }
    if (best < 0) return 0;
    return Deliver(best, entry);
}

// Whether slot i's head goes before (or, as the later library, with) slot
// best's.
bool LibrarySet::Before(int i, int best) {
    if (!unicode_) return codePage_.CompareNoCase(slots_[i].key(), slots_[best].key()) <= 0;
    return CompareBytes(SlotMergeKey(i), SlotMergeKey(best)) <= 0;
}

// Slot i's MergeKey, made when it is first compared.
const std::string& LibrarySet::SlotMergeKey(int i) {
    const auto k = static_cast<std::size_t>(i);
    if (!mergeFresh_[k]) {
        mergeKeys_[k] = MergeKey(slots_[i].keyString(), slots_[i].encoding);
        mergeFresh_[k] = 1;
    }
    return mergeKeys_[k];
}

// Hands slot best over to the caller's entry (its zero-terminated key and
// text buffers, which the walk made for this candidate) and moves that
// library on.
int LibrarySet::Deliver(int best, LibraryEntry& entry) {
    LibraryEntry& slot = slots_[best];
    entry.TakeFrom(slot);
    entry.type = slot.type;
    entry.encoding = slot.encoding;
    mergeFresh_[static_cast<std::size_t>(best)] = 0;
    if (StillLoaded(best, true))
        libraries_[best].Next(slot);
    else
        slot.Clear();
    return 1;
}

// A library whose file was deleted or replaced while it was loaded is closed
// before its cursor reads another page: Berkeley DB would take the new bytes
// for pages of the old file.  It offers nothing until the next Load, which
// finds the folder as it is then.  A lookup reads the file's id, its steps
// look at the size and time only; either looks at most once per check
// interval, which keeps the file system out of almost every keystroke.
bool LibrarySet::StillLoaded(int i, bool quick) {
    Library& library = libraries_[i];
    if (!library.IsOpen()) return false;
    const Clock::time_point now = Clock::now();
    Clock::time_point& last = checked_[static_cast<std::size_t>(i)];
    if (now - last < checkInterval_) return true;
    last = now;
    if (library.StillOnDisk(quick)) return true;
    library.Close();
    return false;
}

}  // namespace wl
