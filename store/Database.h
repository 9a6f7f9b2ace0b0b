// The store's one way of opening and closing Berkeley DB handles.
//
// Every handle of the process but OpenForScan's is made in one process-wide
// environment (DB_CREATE | DB_INIT_MPOOL | DB_PRIVATE, a 32 MB cache, no
// locking, no transactions), made with the first handle and closed after the
// last.  Two handles on one file that each had a cache of their own would not
// see each other's writes and would allocate the same free pages twice; in
// the shared environment they share one cache and one free list.  (A scan
// handle only reads, after the shared handle's changes are written out.)
// When the environment cannot be made, handles are opened without one.
//
// The shared cache knows a file by the 20-byte file id in its first page.  A
// copy of a library carries the id of its original, and a file that another
// process changed while this process had it closed still has its old pages
// in the cache; before such a file is opened it gets a fresh id
// (DB_ENV->fileid_reset), or, when that is impossible (a read-only file), a
// handle of its own outside the environment.  A change is told by the
// file's size and time of last change; the time has whole seconds only on
// Windows, so a change there that keeps the size within the second of the
// close goes unseen.  (Only while other files keep the environment open: it
// closes, cache and all, with its last handle.)
//
// Berkeley DB trusts the pages it reads, and a damaged page can crash it or
// make it loop.  An existing file is therefore opened only when its first
// page describes a whole B-tree file and Berkeley DB's own verification
// (DB->verify) passes; a file that passed keeps that standing while its size
// and time of last change stay.  Files open in the environment are not
// checked again: the cache holds them.
//
// Berkeley DB prints nothing: its error and message output is discarded, and
// a damaged page does not put the environment into its panic state for the
// other files (DB_NOPANIC).
//
// For the program's one user-interface thread: nothing here is locked.
#pragma once

#include <string>

struct __db;

namespace wl::bdb {

// Opens the named database of the file at path as a B-tree with create-if-
// missing (unless create is false: then a database the file does not hold
// fails) and mode 0664.  An existing file that is no sound Berkeley DB file
// (zero bytes, text, truncated, damaged) is refused.  nullptr on failure.
__db* OpenDatabase(const std::string& path, const char* name, bool create = true);

// Closes a handle from OpenDatabase (flags 0: the file is written back).
// Answers Berkeley DB's result, 0 for success.
int CloseDatabase(__db* db);

// A read-only handle of the named database outside the shared environment,
// with a small cache of its own, for reading a whole database once (the
// ranked index's walk) or one record at a time for as long as it is open
// (the context model): the pages it reads do not stay in the shared cache,
// and what it keeps in memory does not grow with what it read.  What a handle of the same
// file in the environment has changed (flush, nullptr for none) is written
// to the file first, so that the file holds it.  nullptr when the file is no
// sound Berkeley DB file or holds no such database.  Closed with
// CloseDatabase.
__db* OpenForScan(const std::string& path, const char* name, __db* flush);

// Whether the file at path is still the one the handle was opened on: it
// exists, its first page carries the file id the handle knows it by, and it
// has not shrunk (Berkeley DB never gives space back to the file system).  A
// file deleted, or replaced by another library, by junk or by an older copy
// of itself, is not; Berkeley DB would read the new bytes as pages of the
// old file.  With readId false the id is read only when the size or the time
// of last change differ from the last look (the time has whole seconds on
// Windows: a replacement of the same size within the second goes unseen
// then).  True for a handle not made here.
bool StillTheFile(__db* db, const std::string& path, bool readId);

}  // namespace wl::bdb
