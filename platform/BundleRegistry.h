// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Which Contents/Resources folder belongs to which bundle identifier. The
// module entry registers its own bundle; the editor finds its images by
// its bundle identifier, as a plug-in bundle names itself.
#pragma once

#include <string>

void RegisterBundle(const char* bundleID, const char* resourcesFolder);
// The folder registered for bundleID, or the empty string.
std::string BundleResourcesFolder(const char* bundleID);
