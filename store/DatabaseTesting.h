// What the store's tests ask of Database.cpp beyond its interface: whether
// the shared environment is in use, and a switch that makes the store open
// its handles without it, as when it cannot be created.  Only tests include
// this header (scripts/check-layers keeps it so).
#pragma once

namespace wl::bdb {

// Whether handles are made in the shared environment (false after the
// environment could not be created, or while it is disabled).
bool UsingEnvironment();

// With true, handles opened from now on are made without the environment.
// Only while no handle is open.
void DisableEnvironmentForTest(bool disabled);

}  // namespace wl::bdb
