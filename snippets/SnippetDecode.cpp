// A snippet file's bytes as text: byte-order marks, UTF-16, and what is no
// text at all.
#include "platform/CodePage.h"
#include "snippets/SnippetFormats.h"

namespace wl::snippets {

SourceText DecodeSource(std::string bytes) {
    SourceText out;
    auto starts = [&](const char* mark, std::size_t n) {
        return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0;
    };
    if (starts("\xEF\xBB\xBF", 3)) {
        bytes.erase(0, 3);
        if (!IsUtf8(bytes)) {
            out.error = "begins as UTF-8 text but is not valid UTF-8";
            return out;
        }
    } else if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
        const bool little = bytes[0] == '\xFF';
        if (bytes.size() % 2) {
            out.error = "is not valid UTF-16 text";
            return out;
        }
        auto unit = [&](std::size_t i) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            return static_cast<char32_t>(little ? (b << 8 | a) : (a << 8 | b));
        };
        // The characters one after another; false at one that is none.
        auto each = [&](const auto& take) {
            for (std::size_t i = 2; i < bytes.size(); i += 2) {
                char32_t c = unit(i);
                if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
                    const char32_t low = unit(i + 2);
                    if (low >= 0xDC00 && low <= 0xDFFF) {
                        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                        i += 2;
                    }
                }
                if (c >= 0xD800 && c <= 0xDFFF) return false;
                take(c);
            }
            return true;
        };
        // Counted first, so that the UTF-8 text takes no more room than it
        // needs beside the bytes.
        std::size_t length = 0;
        if (!each([&](char32_t c) {
                length += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
            })) {
            out.error = "is not valid UTF-16 text";
            return out;
        }
        std::string utf8;
        utf8.reserve(length);
        each([&](char32_t c) { AppendUtf8(c, utf8); });
        bytes.swap(utf8);
    } else {
        out.utf8 = IsUtf8(bytes);
    }
    // Text has no NUL and none of the control characters below the tab and
    // between the carriage return and the space (but the old end-of-file
    // mark 0x1A and escape 0x1B).
    for (unsigned char c : bytes) {
        if (c < 0x09 || (c > 0x0D && c < 0x20 && c != 0x1A && c != 0x1B)) {
            out.error = "is not a text file";
            return out;
        }
    }
    if (bytes.find_first_not_of(" \t\r\n\f\v\x1A") == std::string::npos) {
        out.error = "is empty";
        return out;
    }
    out.text = std::move(bytes);
    return out;
}

}  // namespace wl::snippets
