// One library file: its info (caption, description, type, editable and
// scrambled flags) and its entries, read and written through Berkeley DB.
//
// A library file holds two B-tree databases: "DBINFO" with five info records
// and "DBDATA" with one record per entry (key bytes -> text bytes, no
// terminators).  In a scrambled library every stored key and text byte is
// scrambled (store/Scramble.h); the info stays plain.  All text is 8-bit text
// in the system's ANSI code page, which the library is given.
//
// A Dictionary library may also carry a whole-number weight per key (how
// common the word is), in a third B-tree database "DBWEIGHT" of the same
// file: the stored key bytes (scrambled in a scrambled library, as in
// "DBDATA") -> the weight as 4 bytes, little-endian, unsigned.  A file
// without it has no weights; readers that know only the other two databases
// read the file as before.  A weight record of another length, or one whose
// key is not stored in "DBDATA", counts as no weight.
//
// A library's keys and texts are in the system's code page, unless its info
// holds the record "DBENCODING" (4 bytes, as the other numbers): 65001 for
// UTF-8.  A code-page library never gets the record, so its file stays as
// readers that do not know it expect.  A record of another value or length
// is an encoding this program does not know: the library opens read-only
// (every write fails) and its entries are never delivered as text.
//
// Operations answer 1 for success and 0 for failure (or a count); nothing
// throws and nothing is shown.  One search runs at a time per object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/CodePage.h"
#include "store/ImportProgress.h"
#include "store/LibraryEntry.h"

struct __db;
struct __dbc;

namespace wl {

class Library {
  public:
    // codePage: letter case in searches and the letters of word lists.
    explicit Library(const CodePage& codePage) : codePage_(codePage) {}
    // The code page the library's keys are compared and matched in:
    // Utf8Page() for a UTF-8 library.
    const CodePage& codePage() const { return encoding_ == EncodingUtf8 ? Utf8Page() : codePage_; }
    // Closes the library.
    virtual ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Closes whatever was open, then opens the library at path, creating the
    // file with both databases empty when it does not exist.  Reads the info
    // first (type, editable and scrambled start from their defaults).  An
    // existing file that is no library (text, zero bytes, damaged, a folder)
    // fails and leaves the object closed.
    int Open(const char* path);
    // Closes cursor and data handle and forgets path, caption, description
    // and search word.
    void Close();
    // Reads the five info records of the file at the path; absent records
    // leave their fields as they are.
    int ReadInfo();
    // Writes all five info records (an unset caption or description as an
    // empty value).
    int WriteInfo();

    // The caption; when there is none (or it is empty), the path's part after
    // its last backslash or slash; with no path either, "UNKNOWN LIBRARY".
    const char* GetCaption();
    // The description, or "".
    const char* GetDescription() const { return description_.c_str(); }
    // The full path given to Open, or "".
    const char* GetPath() const { return path_.c_str(); }
    // Replace caption or description with the first length bytes of text
    // (the copy stops at a NUL byte; a negative length takes the whole text).
    void SetDescription(const char* text, int length);
    void SetCaption(const char* text, int length);

    // LibraryType of the library ("DBTYPE"): 1 Dictionary, 2 Shorthand.
    std::int32_t GetType() const { return type_; }
    void SetType(std::int32_t type) { type_ = type; }
    // "DBEDIT": 1 = the library editor writes name, type and description.
    std::int32_t GetEditable() const { return editable_; }
    void SetEditable(std::int32_t editable) { editable_ = editable; }
    // "DBEncrypt": non-zero = entries stored scrambled.  Change it only on an
    // empty library (the stored entries are not converted).
    std::int32_t GetScrambled() const { return scrambled_; }
    void SetScrambled(std::int32_t scrambled) { scrambled_ = scrambled; }
    // LibraryEncoding of the keys and texts ("DBENCODING").  SetEncoding
    // takes EncodingCodePage or EncodingUtf8, for a new library before its
    // first entry and WriteInfo (stored entries are not converted).
    std::int32_t GetEncoding() const { return encoding_; }
    void SetEncoding(std::int32_t encoding);
    // The code page given to the constructor, also for a UTF-8 library: that
    // of text without an encoding of its own (a file to import that is not
    // UTF-8, a snippet file).
    const CodePage& givenCodePage() const { return codePage_; }
    // True when the encoding record is one this program does not know:
    // nothing may be written to the library.
    bool IsReadOnly() const { return encoding_ == EncodingUnknown; }
    // 1 while the data handle and its cursor are open.
    int IsOpen() const { return open_; }
    // Whether the file at the path is still the one this object opened (see
    // bdb::StillTheFile, which reads the file's id unless quick): 0 when it
    // was deleted or replaced meanwhile, or when the library is not open.
    int StillOnDisk(bool quick = false) const;

    // Stores entry key -> entry text, replacing the text of an existing key.
    // The entry is left as it was (a scrambled library scrambles a copy).
    // Fails when not open or the key is empty, and in a UTF-8 library when
    // key or text is not well-formed UTF-8.
    int Put(const LibraryEntry& entry);
    // Removes the record with the entry's key, and its weight; fails when
    // there is none.
    int Delete(const LibraryEntry& entry);
    // Deletes oldEntry's key, then stores newEntry; when the delete fails,
    // or newEntry is malformed UTF-8 for a UTF-8 library, nothing is written.  The old key's weight
    // goes to the new key.  Not atomic: a failing put after the delete loses the old entry and
    // answers 0.
    int Replace(const LibraryEntry& oldEntry, const LibraryEntry& newEntry);
    // Fills entry with the stored entry whose key is exactly the given bytes
    // (its type the library's); fails when there is none.  The current
    // search stays as it is.
    int Get(const char* key, std::uint32_t keyLength, LibraryEntry& entry);
    // Number of keys in "DBDATA" (a full count); 0 when not open.
    std::int32_t Count();
    // The records of a UTF-8 library whose key or text is not well-formed
    // UTF-8 (written by something else than this program): no search, Get
    // or walk over the keys delivers them.  Every walk over all keys
    // (ForEachKey, which the ranked lookup reads) counts them; when none ran
    // since Open, this runs one.  0 for a code-page library.
    std::int32_t SkippedInvalid();

    // Weights.  GetWeight answers 1 and the weight when the entry's key has
    // one.  SetWeight gives a stored key a weight (fails for a key that is
    // not stored).  RemoveWeight takes it off (1 when there was one), and
    // ClearWeights every one.  CountWeights: the keys with a weight.
    int GetWeight(const LibraryEntry& entry, std::uint32_t& weight);
    int SetWeight(const LibraryEntry& entry, std::uint32_t weight);
    int RemoveWeight(const LibraryEntry& entry);
    int ClearWeights();
    std::int32_t CountWeights();
    // Calls visit for every key in stored order with its plain bytes, its
    // weight when it has one and whether its text is empty, until visit
    // answers false.  Answers 0 when the library is not open or the walk
    // failed part-way.  The current search is not touched, and no more than a
    // byte of each text is read, but in a UTF-8 library, where a record
    // whose key or text is not well-formed UTF-8 is passed over (and
    // counted, see SkippedInvalid).
    struct KeyInfo {
        const char* key;
        std::uint32_t length;
        bool weighted;
        std::uint32_t weight;
        bool hasText;
    };
    using KeyVisitor = std::function<bool(const KeyInfo&)>;
    int ForEachKey(const KeyVisitor& visit);
    // A weight as text: one or more ASCII digits and nothing else; a value
    // beyond the 32 bits is the largest weight.  False for anything else.
    static bool ParseWeight(const char* text, std::size_t length, std::uint32_t& weight);

    // Starts a search for word (MatchMode) and delivers its first match into
    // entry.  The walk starts at the smallest key not below the word in byte
    // order and ends at the first key that does not contain the word (letter
    // case ignored); of the keys on the way it delivers those the mode
    // accepts, judged by the first occurrence of the word: MATCH_ANY all,
    // MATCH_PREFIX at the start, MATCH_INSIDE neither at the start nor at the
    // end, MATCH_SUFFIX at the end.  Fails when nothing matches.
    int Search(const char* word, LibraryEntry& entry, int mode);
    // As Search, but succeeds only when the first match equals the word
    // (letter case ignored).  On failure the search word becomes empty, so
    // that Next then delivers every following key under MATCH_PREFIX, and the
    // entry holds whatever the walk left in it.
    int SearchExact(const char* word, LibraryEntry& entry, int mode);
    // Delivers the next match of the current search.  Fails once the walk
    // has ended at the end of the library.
    int Next(LibraryEntry& entry);

    // Writes every entry, in key order, to a library text file at path:
    // "<key>"/"<data>" lines for a Dictionary, "<shortkey>"/"<replacement
    // text>" for a Shorthand library, each line ended by CR LF (in a UTF-8
    // library after the UTF-8 byte-order mark).  Answers the number written;
    // 0 when the path is empty, the library is not open, the file cannot be
    // written or the type is neither 1 nor 2.  With skipped, counts there
    // the entries of a UTF-8 library not written because they are not valid
    // UTF-8.
    int ExportText(const char* path, ImportProgress* progress, int* skipped = nullptr);
    // Stores the pairs of a library text file; answers the number stored.
    // With notStored, counts there the pairs read that could not be stored.
    // A UTF-8 library reads the file as UTF-8, UTF-16 or code-page text by
    // its byte-order mark and contents (store/LibraryText.cpp); a code-page
    // library reads its bytes as they are.
    int ImportText(const char* path, ImportProgress* progress, int* notStored = nullptr);
    // Stores every word of any file as a key with an empty text; answers the
    // number of words stored (and counts in notStored those that could not
    // be).
    int ImportWordList(const char* path, ImportProgress* progress, int* notStored = nullptr);

    // Writes what was changed out to the file now (the cache holds it
    // otherwise until the library is closed); 0 when the file refuses it or
    // the library is not open.
    int Flush();

  private:
    int Walk(LibraryEntry& entry, std::uint32_t positioning);
    int WalkKeys(__db* data, __db* weights, const KeyVisitor& visit);
    bool Accepts(std::size_t pos, std::size_t storedLength) const;
    // Whether a record's key and text may be delivered: always in a code
    // page, well-formed UTF-8 in a UTF-8 library.
    bool Deliverable(const void* key, std::uint32_t keyLength, const void* text,
                     std::uint32_t textLength) const;
    int PutBytes(const void* key, std::uint32_t keyLength, const void* text,
                 std::uint32_t textLength);
    int DeleteBytes(const void* key, std::uint32_t keyLength);
    std::string StoredForm(const void* key, std::uint32_t keyLength) const;
    // The open "DBWEIGHT" handle; with create false, nullptr when the file
    // has none (yet).
    __db* Weights(bool create);
    int PutWeightBytes(const std::string& storedKey, std::uint32_t weight);

    const CodePage& codePage_;
    __db* data_ = nullptr;
    __dbc* cursor_ = nullptr;
    __db* weights_ = nullptr;
    bool hasSearch_ = false;
    std::string searchWord_;
    std::int32_t matchMode_ = MATCH_ANY;
    std::string description_;
    std::string caption_;
    std::string path_;
    std::int32_t scrambled_ = 0;
    std::int32_t type_ = Dictionary;
    std::int32_t editable_ = 1;
    std::int32_t encoding_ = EncodingCodePage;
    int open_ = 0;
    // Records passed over for malformed UTF-8 by the last whole walk, or -1
    // when none ran since Open.
    std::int32_t skippedInvalid_ = -1;

    // The current search: the stored form of the word (scrambled in a
    // scrambled library), its lower-cased plain form, and whether the cursor
    // ran off the end of the library.
    std::string storedWord_;
    std::string lowerWord_;
    bool cursorEnded_ = false;
    // Scratch buffers of the walk and of writes.
    std::string keyScratch_;
    std::string writeKey_;
    std::string writeText_;
    std::string shownCaption_;
};

}  // namespace wl
