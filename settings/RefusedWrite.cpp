#include "settings/RefusedWrite.h"

#include <cctype>

#include "platform/RegistryLayout.h"

namespace wl {

namespace {

// Whether path is the key named by top or one below it (letter case
// ignored, as the registry ignores it in the names of keys).
bool IsUnder(const std::string& path, const std::string& top) {
    if (path.size() < top.size() || (path.size() > top.size() && path[top.size()] != '\\'))
        return false;
    for (std::size_t i = 0; i < top.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[i])) !=
            std::tolower(static_cast<unsigned char>(top[i])))
            return false;
    return true;
}

}  // namespace

std::string RefusedWriteText(RegRoot root, const std::string& path) {
    std::string key = std::string(RootName(root)) + "\\";
    std::string advice;
    if (root == RegRoot::LocalMachine && IsUnder(path, reg::kStoreKey)) {
        key += reg::kStoreKey;
        advice =
            "Wordlark keeps its settings there for every user of this computer. Run the "
            "Wordlark installer, which lets every user change them, or ask an administrator "
            "for write access to this key.";
    } else if (root == RegRoot::LocalMachine && IsUnder(path, reg::kRunKey)) {
        key += reg::kRunKey;
        advice =
            "Starting with Windows is set there for every user of this computer, and only an "
            "administrator may change it.";
    } else {
        key += path;
        advice = "Ask an administrator for write access to this key.";
    }
    return "The setting could not be saved: Wordlark may not write to " + key + ".\n\n" + advice +
           "\n\nSettings that cannot be saved are lost when Wordlark ends. This message is "
           "shown once per run.";
}

}  // namespace wl
