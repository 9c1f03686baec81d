// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the running program lies and whose home it may use, as the platform tells: the layout
// of the data folders (layout/data_layout.h) is chosen from these.

#include <string>

namespace ZapModule {

// The folder that holds the running program ("." if the system does not say).
std::string ProgramFolder();

// Whether the program can be an installed copy (PREFIX/bin/…). zapwall-sim.js under node never
// is: its data folder is always the one beside it, and node hands it no environment to find the
// user's own folder in.
bool ProgramIsInstallable();

// The home folder of the account that runs the program, from the system's account list; empty
// when it names none.
std::string AccountHome();

}  // namespace ZapModule
