// Who the product is, wherever a program or the installer needs to know:
// its name (the main window's title, by which the setup program finds a
// running one), the registry keys it keeps its settings and its per-user
// memories under, and the numbers of platform/ProductIds.h.  The package's
// CMake file reads the strings from here for the installer.
#pragma once

#include <array>
#include <cstddef>

#include "platform/ProductIds.h"

namespace wl::product {

inline constexpr char kName[] = "Wordlark";
inline constexpr char kProgramFile[] = "VemoShow.exe";
// The main window: a dialog of this class titled kName, holding the
// candidate list.
inline constexpr char kMainWindowClass[] = "#32770";
inline constexpr int kCandidateListId = WORDLARK_CANDIDATE_LIST_ID;
inline constexpr unsigned kExitCommand = WORDLARK_EXIT_COMMAND;
// Under HKEY_LOCAL_MACHINE: every setting, for every user.
inline constexpr char kSettingsKey[] = "SOFTWARE\\Quorbit";
// Under HKEY_CURRENT_USER: the dialogs' small memories, per user.
inline constexpr char kProfileKey[] = "Software\\Quorbit\\Wordlark";

// A text as an array, and texts joined to it, at compile time; each
// NUL-terminated.
template <std::size_t N>
constexpr std::array<char, N> Text(const char (&text)[N]) {
    std::array<char, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = text[i];
    return out;
}
template <std::size_t A, std::size_t B>
constexpr std::array<char, A + B - 1> Join(const std::array<char, A>& a, const char (&b)[B]) {
    std::array<char, A + B - 1> out{};
    for (std::size_t i = 0; i + 1 < A; ++i) out[i] = a[i];
    for (std::size_t i = 0; i < B; ++i) out[A - 1 + i] = b[i];
    return out;
}

namespace detail {
inline constexpr auto kInfoTitle = Join(Text(kName), " - Info");
inline constexpr auto kErrorTitle = Join(Text(kName), " - Error");
}  // namespace detail

// The titles of the program's message boxes: "Wordlark" for a question,
// "Wordlark - Info" and "Wordlark - Error".
inline constexpr const char* kTitlePlain = kName;
inline constexpr const char* kTitleInfo = detail::kInfoTitle.data();
inline constexpr const char* kTitleError = detail::kErrorTitle.data();

}  // namespace wl::product
