// A context lookup of the English library's context model
// (LibraryContextModel::Lookup): median and 99th percentile for a common
// and a rare context of one word and of two; the time to open the library
// (the first open of a file in a process checks the whole file) and then
// the model; and the memory the process keeps: before the model is opened,
// after, after a lookup of every context of one word (which gathers 200,000
// contexts of two words from their entries, 1.6 MB of this program's own),
// and after lookups of those 200,000.  Printed figures, never a test;
// natively and under Wine.
//
//   context_bench [LIBRARY]      (default: the build's Libs/English.lib)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// windows.h first
#include <psapi.h>
#else
#include <unistd.h>
#endif

#include "platform/CodePage.h"
#include "store/Library.h"
#include "store/LibraryContextModel.h"

namespace {

using Clock = std::chrono::steady_clock;
using WordId = wl::ContextModel::WordId;

// The process's resident memory (its working set on Windows), in MB.
double ResidentMb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.WorkingSetSize) / 1e6;
#else
    long pages = 0, resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
#endif
}

struct Timing {
    double median = 0, p99 = 0;
    std::size_t entries = 0;
    bool found = false;
};

Timing Time(const wl::LibraryContextModel& model, const std::vector<std::string>& words) {
    std::vector<WordId> context;
    for (const auto& w : words) context.push_back(model.Id(w));
    std::vector<wl::ContextModel::Entry> entries;
    float backoff = 0;
    std::vector<double> micros;
    Timing t;
    for (int i = 0; i < 2000; ++i) {
        const auto start = Clock::now();
        t.found = model.Lookup(context.data(), context.size(), entries, backoff);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    t.median = micros[micros.size() / 2];
    t.p99 = micros[micros.size() * 99 / 100];
    t.entries = entries.size();
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : WORDLARK_LIBS_DIR "/English.lib";
    auto start = Clock::now();
    wl::Library library(wl::SystemCodePage());
    if (!library.Open(path.c_str())) {
        std::fprintf(stderr, "context_bench: cannot open %s\n", path.c_str());
        return 1;
    }
    const double libraryMs =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double before = ResidentMb();
    wl::LibraryContextModel model;
    start = Clock::now();
    if (!model.Open(path)) {
        std::fprintf(stderr, "context_bench: %s has no context data\n", path.c_str());
        return 1;
    }
    const double opened = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double afterOpen = ResidentMb();
    std::printf(
        "Context lookups in %s (%u words): the library opened in %.1f ms, then the model "
        "in %.1f ms\n",
        path.c_str(), model.WordCount(), libraryMs, opened);
    std::printf("  %-22s %8s %12s %10s\n", "context", "entries", "median us", "p99 us");
    const std::vector<std::vector<std::string>> contexts = {
        {"the"}, {"zebra"}, {"<s>"}, {"of", "the"}, {"quiet", "and"}, {"the", "zebra"}};
    for (const auto& c : contexts) {
        const Timing t = Time(model, c);
        std::string name = c[0] + (c.size() > 1 ? " " + c[1] : "");
        if (!t.found) name += " (none)";
        std::printf("  %-22s %8zu %12.2f %10.2f\n", name.c_str(), t.entries, t.median, t.p99);
    }
    // Every context of one word, and contexts of two from their entries
    // (a random choice of 200,000 of them).
    std::vector<wl::ContextModel::Entry> entries;
    std::vector<std::pair<WordId, WordId>> pairs;
    pairs.reserve(200000);
    float backoff = 0;
    std::size_t found = 0, read = 0, seen = 0;
    std::mt19937 rng(1);
    const auto walk = Clock::now();
    for (WordId a = 0; a < model.WordCount(); ++a) {
        if (!model.Lookup(&a, 1, entries, backoff)) continue;
        ++found;
        read += entries.size();
        for (const auto& e : entries) {
            if (pairs.size() < pairs.capacity())
                pairs.emplace_back(a, e.word);
            else if (const std::size_t at = rng() % (seen + 1); at < pairs.size())
                pairs[at] = {a, e.word};
            ++seen;
        }
    }
    const double afterOne = ResidentMb();
    for (const auto& [a, b] : pairs) {
        const WordId context[2] = {a, b};
        if (model.Lookup(context, 2, entries, backoff)) {
            ++found;
            read += entries.size();
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - walk).count();
    std::printf("  %zu lookups (%zu contexts found, %zu entries read) in %.1f s\n",
                model.WordCount() + pairs.size(), found, read, seconds);
    std::printf(
        "  resident memory: %.1f MB before the model, %.1f MB opened, %.1f MB after "
        "the contexts of one word, %.1f MB after those of two\n",
        before, afterOpen, afterOne, ResidentMb());
    return 0;
}
