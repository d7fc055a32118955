// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What every Plushgrit program's --version says after its name and version.
#pragma once

#define PLUSHGRIT_LICENCE_TEXT                                                           \
  "Copyright (C) 2026 Quorvane.\n"                                                      \
  "Licence GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n" \
  "This is free software: you are free to change and redistribute it.\n"                \
  "There is NO WARRANTY, to the extent permitted by law.\n"
