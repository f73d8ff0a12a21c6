# Install-time step: writes the systemd service and the desktop entry with
# the absolute path of the installed program. The path is known only now:
# `cmake --install --prefix` and cpack choose the prefix after configuring.
set(SARVILAX_PROGRAM "${CMAKE_INSTALL_PREFIX}/bin/sarvilax")
foreach(launcher IN ITEMS
        "sarvilax.service.in|lib/systemd/user/sarvilax.service"
        "sarvilax.desktop.in|share/applications/sarvilax.desktop")
  string(REPLACE "|" ";" launcher "${launcher}")
  list(GET launcher 0 template)
  list(GET launcher 1 destination)
  set(target "${CMAKE_INSTALL_PREFIX}/${destination}")
  set(installed "$ENV{DESTDIR}${target}")
  message(STATUS "Installing: ${installed}")
  configure_file("${CMAKE_CURRENT_LIST_DIR}/${template}" "${installed}" @ONLY)
  file(CHMOD "${installed}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
endforeach()
