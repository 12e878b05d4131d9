# Run at install time (install(CODE)): writes a desktop entry from its
# template with the absolute path of the installed program, which is only
# known then (a package is staged under DESTDIR with its final prefix).
# Expects TV_TEMPLATE, TV_DESTINATION (folder, without DESTDIR), TV_NAME and
# TV_PROGRAM (the program's installed path).
if(TV_PROGRAM MATCHES " ")
  set(TV_EXEC "\"${TV_PROGRAM}\"")
else()
  set(TV_EXEC "${TV_PROGRAM}")
endif()
set(TV_TRY_EXEC "${TV_PROGRAM}")
set(tv_out "$ENV{DESTDIR}${TV_DESTINATION}/${TV_NAME}")
message(STATUS "Installing: ${tv_out}")
configure_file("${TV_TEMPLATE}" "${tv_out}" @ONLY)
