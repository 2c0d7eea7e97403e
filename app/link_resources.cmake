# Makes the build tree a runnable installation: links every entry of
# resources/ into the executables' folder, unless something of that name is
# already there (devices.json is copied by device/). Run at build time, so
# resources added later are picked up without a new configure.
file(GLOB entries RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(entry IN LISTS entries)
  if(entry MATCHES "\\.(sh|md)$")
    continue()
  endif()
  if(EXISTS "${DEST}/${entry}" OR IS_SYMLINK "${DEST}/${entry}")
    continue()
  endif()
  file(CREATE_LINK "${SOURCE}/${entry}" "${DEST}/${entry}" SYMBOLIC)
endforeach()
