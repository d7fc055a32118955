// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Where plushgrit-render finds the Plushgrit.vst3 bundle when --plugin does
// not say: relative to the renderer itself, so an installed renderer uses
// the bundle installed with it and a built one the bundle built beside it,
// then the places Linux hosts look.
#pragma once

#include <string>
#include <vector>

// The candidates in order, for the renderer at exePath (as /proc/self/exe
// names it) and the user's home folder (may be empty):
//   <exe>/../lib/vst3/Plushgrit.vst3   installed under a prefix (/usr, /usr/local, ~/.local)
//   <exe>/../Plushgrit.vst3            the build tree (render/ beside the bundle)
//   ~/.vst3/Plushgrit.vst3, /usr/local/lib/vst3/..., /usr/lib/vst3/...
std::vector<std::string> BundleCandidates(const std::string& exePath, const std::string& home);
// The first candidate that exists, or empty.
std::string FindBundle(const std::vector<std::string>& candidates);
