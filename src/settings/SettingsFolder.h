// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

/// Where opt.ini and preset.ini live. A program run from a folder of its own (the build
/// folder, a copied folder) keeps them beside itself, as the Windows program did. The install
/// step puts kInstalledMarkerName beside the installed programs, which keep them in the
/// user's configuration folder instead: the program folder is shared by every user then, and
/// root could write there. Both front ends follow this one rule.

inline constexpr const char* kInstalledMarkerName = "wavpress.installed";

/// The settings folder of the running program, ending in '/'.
std::string SettingsFolder();

/// The installed programs' settings folder: $XDG_CONFIG_HOME/wavpress/ when that variable
/// holds an absolute path, otherwise .config/wavpress/ in the home folder ($HOME when it is
/// absolute, else the user's entry in the password database, else "/").
std::string UserSettingsFolder();
