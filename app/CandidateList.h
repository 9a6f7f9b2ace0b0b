// The candidate list's state and decisions: the candidate cache, paging, the
// highlighted row, what is handed to the hook library and the tip, and
// file-path completion.  The main window renders it and forwards the hook
// library's messages and the list control's notifications to it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CandidateSource.h"
#include "app/TypedCase.h"
#include "hook/VemoConstants.h"
#include "platform/CodePage.h"
#include "platform/Directory.h"
#include "store/LibraryEntry.h"

namespace wl {

enum TipStyle { TIP_STYLE_NOTE = 1, TIP_STYLE_EXPANSION = 2 };

class Learner;

// The hook library's exported calls that the list makes.
class HookCalls {
  public:
    virtual ~HookCalls() = default;
    virtual int GetInputStr(char* buffer, int size) = 0;
    // The word being typed as UTF-8 (as GetInputStr); 0 when there is none.
    virtual int GetInputStrUtf8(char* buffer, int size) {
        (void)buffer, (void)size;
        return 0;
    }
    virtual int SetReplaceStr(const char* text, int mode) = 0;
    virtual int ReplaceStr() = 0;
    // As SetReplaceStr for a text in UTF-8 (a Unicode library's candidate).
    virtual int SetReplaceStrUtf8(const char* text, int mode) {
        (void)text, (void)mode;
        return 0;
    }
    // The words before the word being typed in its line, older first (at
    // most two; ContextModel::kSentenceStart for the start of a sentence);
    // none when the line's start was not seen.
    virtual std::vector<std::string> GetContext() { return {}; }
    // The same words in UTF-8, for a Unicode library's context model (none
    // is lost to the code page).
    virtual std::vector<std::string> GetContextUtf8() { return {}; }
};

// How candidates are found, ordered and typed beyond the plain lookup (all
// off: exactly the plain lookup).
struct Suggestions {
    bool smartOrder = false;  // the ranked lookup, in the typist's letter case
    bool spaceAfter = false;  // a Dictionary candidate is typed with a space after it
    bool learn = false;       // with smartOrder: ordered by what the user types
    bool learnNew = false;    // with learn: words the user typed twice that no library holds
    bool predict = false;     // with smartOrder: the next word, before a letter is typed
};

// What the list asks of the window that shows it.
class CandidateView {
  public:
    virtual ~CandidateView() = default;
    // The rows were replaced (or all deleted): show them and, when there are
    // any, size the list and the window to them.
    virtual void RowsChanged() = 0;
    // Highlight this row and scroll it into view.
    virtual void HighlightChanged(int row) = 0;
    // Place the tip beside the highlighted row.
    virtual void PlaceTip() = 0;
    // text: in the code page, or in UTF-8 with encoding EncodingUtf8.
    virtual void SetTipText(const std::string& text, int style, std::int32_t encoding) = 0;
    virtual void Beep() = 0;
};

struct CandidateRow {
    std::string text;
    int image = 0;                             // the candidate kind minus 1
    int itemData = 0;                          // index in the candidate cache
    std::int32_t encoding = EncodingCodePage;  // of text: its entry's
};

class CandidateList {
  public:
    // codePage: letter case in path completion; directory: the folders it
    // lists.
    CandidateList(CandidateSource& source, HookCalls& hook, CandidateView& view,
                  const CodePage& codePage, Directory& directory = SystemDirectory());

    // WM_WORD_LOOKUP: 0 when the list now holds candidates for the word the
    // hook library offers (or, with kind LOOKUP_NEXT_WORD, the words most
    // likely next), 1 when there are none.
    int OnWordLookup(int kind = vemo::LOOKUP_WORD);
    // WM_SELECT_KEY: 0 when a row was highlighted as asked, 1 when there was
    // no highlighted row or the index was beyond the rows present.
    int OnSelectKey(int request);
    // A click made `row` the selected, focused row.
    void OnRowSelected(int row);
    // A double click: the hook library types the candidate last selected.
    int OnDoubleClick();

    int QueryCandidates();
    int NextPage(int n);
    int PrevPage(int n);
    int FillPage(int start, int n);
    void SelectCandidate(int index);
    void ClearCandidates();
    // Offers the folders and files of the folder named by an absolute path;
    // non-zero when the list now shows them.
    int CompletePath();

    const std::vector<CandidateRow>& rows() const { return m_rows; }
    int highlighted() const { return m_nHighlight; }
    // True while the list shows path candidates: all of them, scrolling, no
    // index labels.
    bool pathMode() const;
    const std::string& word() const { return m_strWord; }
    // The word as typed, in UTF-8; "" when the hook library offered none.
    const std::string& wordUtf8() const { return m_strWordUtf8; }
    const std::vector<std::unique_ptr<LibraryEntry>>& candidates() const { return m_candidates; }
    int pageStart() const { return m_nPageStart; }

    // The two switches every lookup passes on: Dictionary, respectively
    // Shorthand candidates are offered (the settings' bEnableWord and
    // bEnableShorthand).  The next lookup uses new values.
    std::int32_t enableWord() const { return m_bEnableWord; }
    std::int32_t enableShorthand() const { return m_bEnableShorthand; }
    void SetSwitches(std::int32_t enableWord, std::int32_t enableShorthand) {
        m_bEnableWord = enableWord;
        m_bEnableShorthand = enableShorthand;
    }
    // The next lookup uses new values.
    const Suggestions& suggestions() const { return suggestions_; }
    void SetSuggestions(const Suggestions& suggestions) { suggestions_ = suggestions; }
    // What was learned and the time in seconds, for the learned order; none:
    // the ranked order as it is.
    void SetLearner(const Learner* learner, std::function<std::int64_t()> clock) {
        learner_ = learner;
        clock_ = std::move(clock);
    }

    int m_nPageSize = 10;
    int m_nMatchMode = MATCH_PREFIX;

    // How many rows the ranked order in context decides exactly (five
    // pages); the rows after them go on in the order of the weights.
    static constexpr std::size_t kRankedRows = 50;

  private:
    void SortPathCandidates();
    void Highlight(int row);
    bool Ranked() const { return suggestions_.smartOrder; }
    int FetchNext(LibraryEntry& entry);
    // The ranked lookup in the context of the words before, with what was
    // learned: the exact best rows (nextWord: for no letter typed).
    void RankInContext(bool nextWord);
    // The text a candidate is shown and typed in (in its own encoding).
    std::string Shown(const LibraryEntry& e) const;
    // The typed word for the lookups: its code-page form is none when the
    // word holds a character the code page has no byte for.
    TypedWord Typed() const;
    // Hands text, in e's encoding, to the hook library to be typed by mode.
    void HandToHook(const LibraryEntry& e, const std::string& text, int mode);

    CandidateSource& source_;
    HookCalls& hook_;
    CandidateView& view_;
    const CodePage& codePage_;
    Directory& directory_;

    std::int32_t m_bEnableWord = 1;
    std::int32_t m_bEnableShorthand = 1;
    Suggestions suggestions_;
    TypedCase typedCase_;
    const Learner* learner_ = nullptr;
    std::function<std::int64_t()> clock_;
    std::string m_strWord;
    std::string m_strWordUtf8;
    bool m_bCodePageWord = true;  // whether m_strWord is the word as typed
    std::vector<std::unique_ptr<LibraryEntry>> m_candidates;
    std::unique_ptr<LibraryEntry> walkNext_;  // the ranked lookup's next, taken and not ranked
    int m_nPageStart = 0;
    std::vector<CandidateRow> m_rows;
    int m_nHighlight = -1;
};

}  // namespace wl
