// Where the candidate list's candidates come from: the merged lookup of the
// loaded libraries, plain and ranked, and their context model; and that of
// a LibrarySet.
#pragma once

#include "store/ContextModel.h"
#include "store/LibraryEntry.h"
#include "store/LibrarySet.h"

namespace wl {

// The merged candidate stream of the loaded libraries.
class CandidateSource {
  public:
    virtual ~CandidateSource() = default;
    virtual int FindFirst(const char* word, LibraryEntry& entry, int matchMode, int enableWord,
                          int enableShorthand) = 0;
    virtual int FindNext(LibraryEntry& entry) = 0;
    // The lookup with the word in both encodings: code-page libraries take
    // word.codePage, Unicode ones word.utf8; either one nullptr: those
    // libraries offer nothing (the word has no form in their encoding).  A
    // source that knows only the code page looks up word.codePage.
    virtual int FindFirst(const TypedWord& word, LibraryEntry& entry, int matchMode, int enableWord,
                          int enableShorthand) {
        return word.codePage
                   ? FindFirst(word.codePage, entry, matchMode, enableWord, enableShorthand)
                   : 0;
    }
    // The smart order: the most likely candidates first, letter case
    // ignored in matching.  A source without it offers nothing.
    virtual int FindFirstRanked(const char* word, LibraryEntry& entry, int enableWord,
                                int enableShorthand) {
        (void)word, (void)entry, (void)enableWord, (void)enableShorthand;
        return 0;
    }
    virtual int FindFirstRanked(const TypedWord& word, LibraryEntry& entry, int enableWord,
                                int enableShorthand) {
        return word.codePage ? FindFirstRanked(word.codePage, entry, enableWord, enableShorthand)
                             : 0;
    }
    virtual int FindNextRanked(LibraryEntry& entry) {
        (void)entry;
        return 0;
    }
    // The Dictionary entry of key (case ignored) within the ranked lookup,
    // which then does not offer it again.
    virtual int FindRankedKey(const char* key, LibraryEntry& entry) {
        (void)key, (void)entry;
        return 0;
    }
    // The same with the key in both encodings, as FindFirst's word.
    virtual int FindRankedKey(const TypedWord& key, LibraryEntry& entry) {
        return key.codePage ? FindRankedKey(key.codePage, entry) : 0;
    }
    // What the words before the caret say of the next one; none: the
    // ranked order alone.
    virtual const ContextModel* Context() { return nullptr; }
};

// The loaded libraries of a LibrarySet as the candidates' source.
class LibrarySource : public CandidateSource {
  public:
    explicit LibrarySource(LibrarySet& set) : set_(set) {}
    int FindFirst(const char* word, LibraryEntry& entry, int matchMode, int enableWord,
                  int enableShorthand) override {
        return set_.FindFirst(word, entry, matchMode, enableWord, enableShorthand);
    }
    int FindNext(LibraryEntry& entry) override { return set_.FindNext(entry); }
    int FindFirst(const TypedWord& word, LibraryEntry& entry, int mode, int dictionaryEnabled,
                  int shorthandEnabled) override {
        return set_.FindFirst(word, entry, mode, dictionaryEnabled, shorthandEnabled);
    }
    int FindFirstRanked(const TypedWord& word, LibraryEntry& entry, int dictionaryEnabled,
                        int shorthandEnabled) override {
        return set_.FindFirstRanked(word, entry, dictionaryEnabled, shorthandEnabled);
    }
    int FindFirstRanked(const char* word, LibraryEntry& entry, int enableWord,
                        int enableShorthand) override {
        return set_.FindFirstRanked(word, entry, enableWord, enableShorthand);
    }
    int FindNextRanked(LibraryEntry& entry) override { return set_.FindNextRanked(entry); }
    int FindRankedKey(const char* key, LibraryEntry& entry) override {
        return set_.FindRankedKey(key, entry);
    }
    int FindRankedKey(const TypedWord& key, LibraryEntry& entry) override {
        return set_.FindRankedKey(key, entry);
    }
    const ContextModel* Context() override { return set_.Context(); }

  private:
    LibrarySet& set_;
};

}  // namespace wl
