# Run by the install step (cmake --install, make install): writes the desktop entry for the prefix
# this install goes to, so that its Exec= names the program where it lands. Given KX_DESKTOP_TEMPLATE,
# KX_DESKTOP_BINDIR and KX_DESKTOP_DATADIR (relative to the prefix, or absolute). Written straight to
# its place, never through a file of the build tree: two installs of one build may run at once.
foreach(dir BINDIR DATADIR)
  if(IS_ABSOLUTE "${KX_DESKTOP_${dir}}")
    set(kx_full_${dir} "${KX_DESKTOP_${dir}}")
  else()
    set(kx_full_${dir} "${CMAKE_INSTALL_PREFIX}/${KX_DESKTOP_${dir}}")
  endif()
endforeach()
set(kx_program "${kx_full_BINDIR}/KXMediaPlayer")
if(kx_program MATCHES "[\n\r]")
  message(FATAL_ERROR "A desktop entry cannot name a program whose path holds a line break: ${kx_program}")
endif()

# Exec= is a command line: a path with a blank or another reserved character is quoted, and inside
# the quotes ", `, $ and \ take a backslash. The value as a whole is an escaped string, so each
# backslash is then written twice; a % is written twice too, as it would start a field code.
set(KX_DESKTOP_EXEC "${kx_program}")
if(KX_DESKTOP_EXEC MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
  string(REPLACE "\\" "\\\\" KX_DESKTOP_EXEC "${KX_DESKTOP_EXEC}")
  string(REPLACE "\"" "\\\"" KX_DESKTOP_EXEC "${KX_DESKTOP_EXEC}")
  string(REPLACE "`" "\\`" KX_DESKTOP_EXEC "${KX_DESKTOP_EXEC}")
  string(REPLACE "$" "\\$" KX_DESKTOP_EXEC "${KX_DESKTOP_EXEC}")
  set(KX_DESKTOP_EXEC "\"${KX_DESKTOP_EXEC}\"")
  string(REPLACE "\\" "\\\\" KX_DESKTOP_EXEC "${KX_DESKTOP_EXEC}")
endif()
string(REPLACE "%" "%%" KX_DESKTOP_EXEC "${KX_DESKTOP_EXEC}")

# A staged install (DESTDIR) puts the file below the staging folder; Exec= names the final place.
set(kx_entry "$ENV{DESTDIR}${kx_full_DATADIR}/applications/KXMediaPlayer.desktop")
message(STATUS "Installing: ${kx_entry}")
configure_file("${KX_DESKTOP_TEMPLATE}" "${kx_entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${kx_entry}")
