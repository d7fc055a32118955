# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Quorvane
#
# cmake -DMANIFEST=<install_manifest.txt> -DCREATED=<install_created_dirs.txt>
#       -P uninstall.cmake
# Removes every file the install listed, then every folder of ours it leaves
# empty (the bundles' and plushgrit's own) and every folder the install made
# that is empty now; a folder that holds anything else stays.
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "nothing to uninstall: ${MANIFEST} is missing (install first)")
endif()
file(STRINGS "${MANIFEST}" files)
set(dirs)
foreach(f ${files})
  if(EXISTS "${f}" OR IS_SYMLINK "${f}")
    file(REMOVE "${f}")
    message(STATUS "Removed ${f}")
  endif()
  get_filename_component(dir "${f}" DIRECTORY)
  # The folders within our own ones, up to and with them.
  while(dir MATCHES "/(Plushgrit\\.vst3|plushgrit\\.lv2|plushgrit)(/|$)")
    list(APPEND dirs "${dir}")
    get_filename_component(dir "${dir}" DIRECTORY)
  endwhile()
endforeach()
if(EXISTS "${CREATED}")
  file(STRINGS "${CREATED}" made)
  list(APPEND dirs ${made})
endif()
list(REMOVE_DUPLICATES dirs)
# Deepest first: a folder is empty once what it held is gone.
list(SORT dirs COMPARE STRING ORDER DESCENDING)
foreach(dir ${dirs})
  file(GLOB left "${dir}/*" "${dir}/.*")
  if(IS_DIRECTORY "${dir}" AND NOT IS_SYMLINK "${dir}" AND NOT left)
    file(REMOVE_RECURSE "${dir}")
    message(STATUS "Removed ${dir}/")
  endif()
endforeach()
file(REMOVE "${CREATED}")
