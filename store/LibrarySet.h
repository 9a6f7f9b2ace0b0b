// The loaded libraries of a folder and the merged candidate lookup over them.
//
// Load opens every library a pattern such as "C:\Prog\Libs\*.lib" finds
// (only those whose load switch is on, unless asked for all).  A lookup
// (FindFirst, then FindNext as often as the caller needs) is a merge of the
// libraries' match streams: at every step the smallest current head under
// the code page's case-insensitive comparison; between equal keys the
// library later in load order comes first.  Candidates are made one per call
// and copied into the caller's entries.
//
// Libraries of both encodings merge into one list.  While a UTF-8 library
// is loaded, keys are compared by their folded UTF-8 form (Utf8Page; a
// code-page key converted to UTF-8 first, or, when it cannot be, its
// lower-cased bytes); with code-page libraries alone the code page
// compares, as ever.  A code-page library is looked up with the word in the
// code page, a UTF-8 one with the word in UTF-8 (see TypedWord); a library
// whose encoding is unknown offers nothing.  Every entry delivered carries
// its library's encoding.
//
// The load switch of a library is the 1-byte REG_BINARY value "CandLoad" of
// HKEY_LOCAL_MACHINE\SOFTWARE\Quorbit\LoadSet\<full path of the library>.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Directory.h"
#include "platform/Registry.h"
#include "store/ContextModel.h"
#include "store/Library.h"
#include "store/LibraryContextModel.h"
#include "store/LibraryEntry.h"
#include "store/RankedIndex.h"

namespace wl {

// The folder of the libraries beside the program, and the files in it that
// are libraries.
inline constexpr char kLibsFolder[] = "Libs";
inline constexpr char kLibraryPattern[] = "*.lib";
// The Libs folder of a program folder; "" for "".
std::string LibsFolderOf(const std::string& programFolder);
// The pattern of the libraries in a folder (with or without a separator at
// its end); "" for "".
std::string LibraryPatternIn(const std::string& folder);

// The word being typed in both encodings: code-page libraries are looked
// up with codePage, Unicode ones with utf8 (nullptr or "": they offer
// nothing, unless codePage is "" too: nothing typed, the next word).
struct TypedWord {
    const char* codePage;
    const char* utf8;
};

class LibrarySet {
  public:
    // registry: the load switches; directory: the listing of a Load;
    // codePage: the libraries' and the merge's letter case.
    LibrarySet(Registry& registry, Directory& directory, const CodePage& codePage);
    // Unloads everything.
    virtual ~LibrarySet();
    LibrarySet(const LibrarySet&) = delete;
    LibrarySet& operator=(const LibrarySet&) = delete;

    // Replaces the loaded set by the entries the pattern lists, in listing
    // order (each full path is the pattern's folder + the entry's name); with
    // loadAll 0 only those whose load switch is on.  Libraries that fail to
    // open stay in the set, closed.  Answers 1 when at least one opened.
    int Load(const char* pattern, int loadAll);
    // Load of the libraries of a folder (LibraryPatternIn).
    int LoadFolder(const std::string& folder, int loadAll);
    // Closes and forgets every library.
    void UnloadAll();
    // The library's load switch: the stored byte, 1 when there is none.
    // Creates the switch's key when it is missing.
    std::uint8_t IsLoadEnabled(const char* path);
    // Writes the library's load switch; failures are silent.
    void SetLoadEnabled(const char* path, std::uint8_t enabled);

    // Starts a lookup of word (normalised, see Normalize) with a MatchMode
    // and the two type switches (0 leaves out the entries of Dictionary or
    // of Shorthand libraries), and fills entry with the first candidate.
    // Answers 0 when there is none.
    int FindFirst(const char* word, LibraryEntry& entry, int mode, int dictionaryEnabled,
                  int shorthandEnabled);
    // The same with the word in both encodings (a codePage of nullptr: the
    // code-page libraries offer nothing).  The form above takes the word as
    // the code page's, and its UTF-8 form for the UTF-8 libraries.
    int FindFirst(const TypedWord& word, LibraryEntry& entry, int mode, int dictionaryEnabled,
                  int shorthandEnabled);
    // Fills entry with the next candidate of the lookup; 0 when there are no
    // more (also without a FindFirst since the last Load).  A library whose
    // file was deleted or replaced since it was opened is closed by either
    // call and offers nothing until the next Load.
    int FindNext(LibraryEntry& entry);

    // The smart lookup: the most likely candidates first.  Matching ignores
    // letter case entirely: every key of every eligible library that begins
    // with the (normalised) word, case ignored, is a candidate.  Order: the
    // keys of Shorthand libraries that equal the word but for case first
    // (the later library first); then the keys with a weight, highest first;
    // then the keys without one, in the merge order of FindFirst (the
    // code page's case-insensitive order, keys equal but for case in byte
    // order, between libraries the later one first).  Equal weights go in
    // that same order.  A key of one type that several libraries hold is
    // offered once, where its best entry ranks, with the text of the latest
    // library that holds it.  Each entry's type is its library's.
    //
    // The first ranked lookup reads each library's keys and weights into
    // memory (see RankedIndex, and PrepareRanked); later ones use them until
    // the next Load.  Answers 0 when there is no candidate.
    int FindFirstRanked(const char* word, LibraryEntry& entry, int dictionaryEnabled,
                        int shorthandEnabled);
    int FindFirstRanked(const TypedWord& word, LibraryEntry& entry, int dictionaryEnabled,
                        int shorthandEnabled);
    // The next candidate of the ranked lookup; 0 when there are no more (also
    // without a FindFirstRanked since the last Load).  FindFirst and
    // FindFirstRanked run independent lookups.
    int FindNextRanked(LibraryEntry& entry);
    // Within the ranked lookup running (after FindFirstRanked), the
    // Dictionary key equal to key but for letter case, the best ranked of
    // them, as FindNextRanked would deliver it; the lookup then never
    // delivers it again.  0 when no Dictionary library holds it, or it was
    // delivered already.
    int FindRankedKey(const char* key, LibraryEntry& entry);
    // The same with the key in both encodings.
    int FindRankedKey(const TypedWord& key, LibraryEntry& entry);
    // Whether a UTF-8 library was loaded by the last Load.
    bool HasUnicode() const { return unicode_; }
    // Reads every open library's keys and weights for the ranked lookup now
    // (for the main window after Load, so that the first key does not wait).
    void PrepareRanked();
    // Bytes held for the ranked lookup.
    std::size_t RankedBytes() const;

    // The context model of the first loaded Dictionary library that has
    // context data (store/ContextData.h), opened on the first call and kept
    // until the next Load; nullptr when none has.  Once its library's file
    // was deleted or replaced (seen as by the lookups, at most once per
    // check interval), the model is closed and nullptr answered until the
    // next Load.  The pointer holds until the next call of Context, Load or
    // UnloadAll.
    const ContextModel* Context();

    // How often each library's file is looked at during lookups, to close
    // one that was deleted or replaced (100 ms; zero: at every call).  A
    // change within the interval after a look reaches Berkeley DB only
    // through pages it has not cached yet.
    void SetFileCheckInterval(std::chrono::milliseconds interval) { checkInterval_ = interval; }

    // Number of libraries of the last Load (opened or not).
    int GetCount() const { return count_; }
    // Full path of library i, "" when out of range.
    const char* GetPath(int i) const;
    // The full paths, in load order.
    const std::vector<std::string>& GetPaths() const { return paths_; }
    // Library i (open or closed), nullptr when out of range.
    Library* GetLibrary(int i);

    // The lookup's word normalisation: every "is ", "are " and "am " becomes
    // "be " (plain, case-sensitive replacement, left to right, in that
    // order; not word-bounded).
    static std::string Normalize(const char* word);

  private:
    std::string SwitchKey(const char* path) const;
    bool Eligible(const LibraryEntry& slot) const;
    bool Before(int i, int best);
    const std::string& SlotMergeKey(int i);
    int Deliver(int best, LibraryEntry& entry);
    bool StillLoaded(int i, bool quick);
    bool RankedAhead(int a, int b) const;
    bool DeliverRanked(int library, std::uint32_t position, LibraryEntry& entry);
    // Library i's normalised word of the lookup: nullptr when it offers
    // nothing for it.
    const char* WordFor(int i, const std::string* codePageWord, const std::string* utf8Word) const;
    // The merge order's form of a key: its fold, in UTF-8 where it can be.
    std::string MergeKey(const char* key, std::int32_t encoding) const;
    // Compares two keys of the given encodings in the merge order.
    int MergeCompare(const char* a, std::int32_t aEncoding, const char* b,
                     std::int32_t bEncoding) const;
    // key (of encoding from) in encoding to; false when it cannot be.
    bool Recode(const std::string& key, std::int32_t from, std::int32_t to, std::string& out) const;

    Registry& registry_;
    Directory& directory_;
    const CodePage& codePage_;
    std::vector<std::string> paths_;
    std::unique_ptr<LibraryEntry[]> slots_;
    std::string switchKey_;
    std::int32_t dictionaryEnabled_ = 1;
    std::int32_t shorthandEnabled_ = 1;
    int count_ = 0;
    bool unicode_ = false;  // a UTF-8 library is loaded: the merge compares folded UTF-8
    std::vector<std::string> mergeKeys_;  // each slot's MergeKey, while unicode_
    std::vector<char> mergeFresh_;        // whether mergeKeys_[i] is the current slot's
    std::deque<Library> libraries_;
    using Clock = std::chrono::steady_clock;
    Clock::duration checkInterval_ = std::chrono::milliseconds(100);
    std::vector<Clock::time_point> checked_;  // each library's last look at its file
    RankedLookup ranked_;
    LibraryContextModel context_;
    int contextLibrary_ = -1;  // the library of context_, while it is open
    bool contextSought_ = false;
};

}  // namespace wl
