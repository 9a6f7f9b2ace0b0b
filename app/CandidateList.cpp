#include "app/CandidateList.h"

#include <algorithm>
#include <cstring>

#include "app/ContextRanking.h"
#include "learn/Learner.h"
#include "platform/CodePage.h"

namespace wl {

using namespace vemo;  // the select requests and replacement modes

namespace {

bool IsPathKind(const LibraryEntry* e) {
    return e && (e->type == PathFile || e->type == PathFolder);
}

bool SameBytes(const LibraryEntry& e) {
    return e.keyLength() == e.textLength() &&
           (e.keyLength() == 0 || std::memcmp(e.key(), e.text(), e.keyLength()) == 0);
}

}  // namespace

CandidateList::CandidateList(CandidateSource& source, HookCalls& hook, CandidateView& view,
                             const CodePage& codePage, Directory& directory)
    : source_(source),
      hook_(hook),
      view_(view),
      codePage_(codePage),
      directory_(directory),
      typedCase_(codePage) {}

bool CandidateList::pathMode() const {
    return !m_candidates.empty() && IsPathKind(m_candidates.front().get());
}

int CandidateList::OnWordLookup(int kind) {
    if (kind == LOOKUP_NEXT_WORD) {
        // Offered only with the ranked order; nothing typed.
        m_strWord.clear();
        m_strWordUtf8.clear();
        m_bCodePageWord = true;
        ClearCandidates();
        m_nPageStart = 0;
        if (!Ranked() || !suggestions_.predict || !m_bEnableWord) return 1;
        RankInContext(true);
        return NextPage(m_nPageSize) ? 0 : 1;
    }
    char buffer[kWordSize] = {};
    if (hook_.GetInputStr(buffer, sizeof buffer)) {
        buffer[sizeof buffer - 1] = 0;
        m_strWord = buffer;
    }
    // The same word in UTF-8, for the Unicode libraries: three bytes of it
    // for each byte of the code page's (a hook library without it offers
    // none).
    std::string utf8(3 * kWordSize, '\0');
    m_strWordUtf8.clear();
    if (hook_.GetInputStrUtf8(utf8.data(), static_cast<int>(utf8.size()))) {
        utf8.back() = '\0';
        m_strWordUtf8 = utf8.c_str();
        if (!IsUtf8(m_strWordUtf8)) m_strWordUtf8.clear();
    }
    // A character the code page cannot hold (a Greek letter on a Western
    // system) matches no key of a code-page library; where the code page's
    // word is missing, the UTF-8 one stands in for it.
    std::string converted;
    m_bCodePageWord = m_strWordUtf8.empty() || codePage_.FromUtf8(m_strWordUtf8, converted);
    if (m_bCodePageWord && m_strWord.empty() && !converted.empty()) m_strWord = converted;
    if (CompletePath()) return 0;
    return QueryCandidates() ? 0 : 1;
}

int CandidateList::QueryCandidates() {
    ClearCandidates();
    // A new lookup always starts at its first page.
    m_nPageStart = 0;
    // The ranked order alone (no model to ask, nothing learned to mix in)
    // is the ranked lookup's own order.
    if (Ranked() && ((suggestions_.learn && learner_) || source_.Context())) {
        RankInContext(false);
        return NextPage(m_nPageSize);
    }
    auto entry = std::make_unique<LibraryEntry>();
    const TypedWord word = Typed();
    const int found =
        Ranked() ? source_.FindFirstRanked(word, *entry, m_bEnableWord, m_bEnableShorthand)
                 : source_.FindFirst(word, *entry, m_nMatchMode, m_bEnableWord, m_bEnableShorthand);
    if (found) m_candidates.push_back(std::move(entry));
    return NextPage(m_nPageSize);
}

TypedWord CandidateList::Typed() const {
    return {m_bCodePageWord ? m_strWord.c_str() : nullptr, m_strWordUtf8.c_str()};
}

int CandidateList::FetchNext(LibraryEntry& entry) {
    if (!Ranked()) return source_.FindNext(entry);
    if (walkNext_) {
        entry.TakeFrom(*walkNext_);
        entry.type = walkNext_->type;
        entry.encoding = walkNext_->encoding;
        walkNext_.reset();
        return 1;
    }
    return source_.FindNextRanked(entry);
}

void CandidateList::RankInContext(bool nextWord) {
    RankRequest request;
    request.word = nextWord ? std::string() : m_strWord;
    request.wordUtf8 = nextWord ? std::string() : m_strWordUtf8;
    request.codePageWord = nextWord || m_bCodePageWord;
    request.context = hook_.GetContext();
    request.contextUtf8 = hook_.GetContextUtf8();
    if (!request.context.empty() && request.context.back() != ContextModel::kSentenceStart)
        request.prev = request.context.back();
    request.rows = kRankedRows;
    request.enableWord = m_bEnableWord;
    request.enableShorthand = m_bEnableShorthand;
    const bool learning = suggestions_.learn && learner_;
    request.learnNew = learning && suggestions_.learnNew;
    request.now = clock_ ? clock_() : 0;
    RankedPage page = wl::RankInContext(source_, learning ? learner_ : nullptr, codePage_, request);
    m_candidates = std::move(page.entries);
    walkNext_ = std::move(page.walkNext);
}

std::string CandidateList::Shown(const LibraryEntry& e) const {
    if (!Ranked() || (e.type != Dictionary && e.type != Learned)) return e.keyString();
    if (e.encoding == EncodingUtf8) return FollowTypedCaseUtf8(m_strWordUtf8, e.keyString());
    return typedCase_.Apply(m_strWord.c_str(), e.keyString());
}

void CandidateList::ClearCandidates() {
    m_candidates.clear();
    walkNext_.reset();
    m_rows.clear();
    m_nHighlight = -1;
    view_.RowsChanged();
}

int CandidateList::NextPage(int n) {
    // A path list already shows every match; the library stream it replaced
    // must not feed it.
    if (pathMode()) return 0;
    const size_t r = m_rows.size();
    if (r > 0 && r < static_cast<size_t>(n)) return 0;  // this is the last page
    const size_t start = static_cast<size_t>(m_nPageStart);
    if (r > 0 && start + r < m_candidates.size()) {
        m_nPageStart += static_cast<int>(r);
        return FillPage(m_nPageStart, n);
    }
    while (m_candidates.size() < start + r + static_cast<size_t>(n)) {
        auto entry = std::make_unique<LibraryEntry>();
        if (!FetchNext(*entry)) break;
        m_candidates.push_back(std::move(entry));
    }
    if (m_candidates.size() > start + r) {
        m_nPageStart += static_cast<int>(r);
        return FillPage(m_nPageStart, n);
    }
    return 0;
}

int CandidateList::PrevPage(int n) {
    if (m_nPageStart < 1) return 0;
    m_nPageStart = std::max(0, m_nPageStart - n);
    return FillPage(m_nPageStart, n);
}

int CandidateList::FillPage(int start, int n) {
    if (start < 0 || m_candidates.size() <= static_cast<size_t>(start) || !m_candidates[0])
        return 0;
    if (pathMode()) {
        SortPathCandidates();
        start = 0;
        n = static_cast<int>(m_candidates.size());
    }
    m_rows.clear();
    for (size_t i = static_cast<size_t>(start);
         i < static_cast<size_t>(start) + static_cast<size_t>(n) && i < m_candidates.size(); ++i) {
        const LibraryEntry* e = m_candidates[i].get();
        if (!e) continue;
        m_rows.push_back({Shown(*e), e->type - 1, static_cast<int>(i), e->encoding});
    }
    m_nHighlight = -1;
    view_.RowsChanged();
    if (m_rows.empty()) return 0;
    Highlight(0);
    SelectCandidate(m_rows[0].itemData);
    return 1;
}

void CandidateList::SelectCandidate(int index) {
    const LibraryEntry* e = nullptr;
    if (index >= 0 && static_cast<size_t>(index) < m_candidates.size())
        e = m_candidates[static_cast<size_t>(index)].get();
    if (!e || e->type < Dictionary || e->type > Learned ||
        (e->encoding != EncodingCodePage && e->encoding != EncodingUtf8)) {
        // Nothing to type: a ReplaceStr that follows does nothing.
        hook_.SetReplaceStr("", REPLACE_COMPLETE);
        return;
    }
    const std::int32_t encoding = e->encoding;
    const std::string key = e->keyString();
    switch (e->type) {
        case Shorthand: {
            const std::string expansion = e->textLength() ? e->textString() : key;
            HandToHook(*e, expansion, REPLACE_WORD);
            if (expansion != key)
                view_.SetTipText(expansion, TIP_STYLE_EXPANSION, encoding);
            else
                view_.SetTipText("", TIP_STYLE_NOTE, encoding);
            return;
        }
        case Dictionary:
        case Learned:
            HandToHook(*e, Shown(*e), suggestions_.spaceAfter ? REPLACE_KEEP_SPACE : REPLACE_KEEP);
            if (e->type == Learned) {
                view_.SetTipText("Learned", TIP_STYLE_NOTE, EncodingCodePage);
                return;
            }
            break;
        case PathFolder:
            HandToHook(*e, key, REPLACE_PATH_FOLDER);
            break;
        default:
            HandToHook(*e, key, REPLACE_PATH_FILE);
            break;
    }
    view_.SetTipText(SameBytes(*e) ? std::string() : std::string(e->textString()), TIP_STYLE_NOTE,
                     encoding);
}

void CandidateList::HandToHook(const LibraryEntry& e, const std::string& text, int mode) {
    if (e.encoding != EncodingUtf8) {
        hook_.SetReplaceStr(text.c_str(), mode);
        return;
    }
    // A Unicode candidate never goes the code page's way.  Where the hook
    // library does not take it (or the text is no UTF-8), it is left with
    // nothing to type rather than the candidate highlighted before.
    if (!IsUtf8(text) || !hook_.SetReplaceStrUtf8(text.c_str(), mode))
        hook_.SetReplaceStr("", REPLACE_COMPLETE);
}

void CandidateList::Highlight(int row) {
    m_nHighlight = row;
    view_.HighlightChanged(row);
}

int CandidateList::OnSelectKey(int request) {
    const int s = m_nHighlight;
    if (s < 0) {
        if (!m_rows.empty()) Highlight(0);
        return 1;
    }
    const int r = static_cast<int>(m_rows.size());
    int t = s;
    int answer = 0;
    if (request == SELECT_PREV) {
        t = s - 1;
    } else if (request == SELECT_NEXT) {
        t = s + 1;
    } else if (request >= 0 && request <= 9) {
        t = request;
        if (request >= r) {
            view_.Beep();
            answer = 1;
        }
    }
    if (t >= r || request == SELECT_PAGEDOWN) {
        t = NextPage(m_nPageSize) ? 0 : r - 1;
    } else if (t < 0 || request == SELECT_PAGEUP) {
        if (m_nPageStart > 0) PrevPage(m_nPageSize);
        t = 0;
    }
    if (t < 0 || t >= static_cast<int>(m_rows.size())) return 1;
    Highlight(t);
    SelectCandidate(m_rows[static_cast<size_t>(t)].itemData);
    view_.PlaceTip();
    return answer;
}

void CandidateList::OnRowSelected(int row) {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return;
    m_nHighlight = row;
    SelectCandidate(m_rows[static_cast<size_t>(row)].itemData);
    view_.PlaceTip();
}

int CandidateList::OnDoubleClick() {
    return hook_.ReplaceStr();
}

int CandidateList::CompletePath() {
    if (m_strWord.size() < 3 || m_strWord[1] != ':' || m_strWord[2] != '\\') return 0;
    const size_t cut = m_strWord.rfind('\\');
    const std::string folder = m_strWord.substr(0, cut + 1);
    std::string prefix = m_strWord.substr(cut + 1);
    std::vector<DirEntry> entries;
    if (!directory_.List(folder + "*.*", entries)) return 0;

    ClearCandidates();
    const CodePage& cp = codePage_;
    cp.ToLower(prefix.data());
    for (const DirEntry& entry : entries) {
        if (entry.name == "." || entry.name == "..") continue;
        // No name holds a "?": the listing put it for a character the code
        // page cannot hold, and typing it would name another file.
        if (entry.name.find('?') != std::string::npos) continue;
        if (!prefix.empty()) {
            std::string name = entry.name;
            cp.ToLower(name.data());
            if (name.find(prefix) == std::string::npos) continue;
        }
        auto candidate = std::make_unique<LibraryEntry>();
        const auto length = static_cast<std::uint32_t>(entry.name.size());
        candidate->SetKey(entry.name.data(), length);
        candidate->SetText(entry.name.data(), length);
        candidate->type = entry.isDirectory ? PathFolder : PathFile;
        m_candidates.push_back(std::move(candidate));
    }
    if (m_candidates.empty()) return 0;
    m_nPageStart = 0;
    return FillPage(0, m_nPageSize);
}

void CandidateList::SortPathCandidates() {
    // Folders first, then files, each by name without regard to case.  An
    // entry goes before every entry already placed that compares equal, so
    // equal names end up in the reverse of their listing order.
    const CodePage& cp = codePage_;
    std::vector<std::unique_ptr<LibraryEntry>> folders, files;
    for (auto it = m_candidates.rbegin(); it != m_candidates.rend(); ++it) {
        if (!*it) continue;
        if ((*it)->type == PathFolder)
            folders.push_back(std::move(*it));
        else if ((*it)->type == PathFile)
            files.push_back(std::move(*it));
    }
    auto byName = [&cp](const std::unique_ptr<LibraryEntry>& a,
                        const std::unique_ptr<LibraryEntry>& b) {
        return cp.CompareNoCase(a->keyString(), b->keyString()) < 0;
    };
    std::stable_sort(folders.begin(), folders.end(), byName);
    std::stable_sort(files.begin(), files.end(), byName);
    m_candidates = std::move(folders);
    for (auto& f : files) m_candidates.push_back(std::move(f));
}

}  // namespace wl
