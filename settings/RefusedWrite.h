// What the user is told when the registry refused to save a setting: the
// key it may not write to, why, and what to do about it.  The program's
// ReportingRegistry tells it once per run (ShowRefusedWrite, in
// settings/win32/SettingsDialogs.h).
#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/ReportingRegistry.h"

namespace wl {

// The text for a write refused under root\path.
std::string RefusedWriteText(RegRoot root, const std::string& path);

}  // namespace wl
