# The install steps that depend on where the program is installed: run by `cmake --install`
# with CMAKE_INSTALL_PREFIX as given there, and the files staged under DESTDIR when it is set.

set(_prefix "${CMAKE_INSTALL_PREFIX}")
set(_stage "$ENV{DESTDIR}${_prefix}")
set(_folder "${_prefix}/lib/kestrelbinder")

# The plug-in list names the Tea plug-in by its installed path.
set(_crlf "\r\n")
file(WRITE "${_stage}/lib/kestrelbinder/Plugins/Plugins.lst"
  "#Created by: Tarnwolde Kestrelbinder ${KB_VERSION_MAJOR}.${KB_VERSION_MINOR}${_crlf}"
  "#It is not recommended that you try to modify this file.${_crlf}"
  "#If you want to reset the plugin list delete this file instead.${_crlf}"
  "1${_folder}/Plugins/${KB_TEA_FILE}${_crlf}~end~${_crlf}")
message(STATUS "Installing: ${_stage}/lib/kestrelbinder/Plugins/Plugins.lst")

# The program finds its folder through the link, which the system resolves.
file(MAKE_DIRECTORY "${_stage}/bin")
file(CREATE_LINK ../lib/kestrelbinder/Kestrelbinder "${_stage}/bin/kestrelbinder" SYMBOLIC)
message(STATUS "Installing: ${_stage}/bin/kestrelbinder")

# The desktop entry starts the program by its full path, quoted as the desktop entry format
# asks: inside the quotes \ " ` $ are escaped, and every \ is doubled once more as the value
# is a string.
set(_exec "${_prefix}/bin/kestrelbinder")
foreach(_c "\\" "\"" "`" "$")
  string(REPLACE "${_c}" "\\${_c}" _exec "${_exec}")
endforeach()
string(REPLACE "\\" "\\\\" _exec "${_exec}")
string(REPLACE "%" "%%" _exec "${_exec}")
set(KB_EXEC "\"${_exec}\"")
configure_file("${KB_DESKTOP_TEMPLATE}" "${_stage}/share/applications/kestrelbinder.desktop" @ONLY)
message(STATUS "Installing: ${_stage}/share/applications/kestrelbinder.desktop")

# An icon folder with a cache only shows icons the cache knows.
set(_icons "${_stage}/share/icons/hicolor")
find_program(_update_icons gtk-update-icon-cache)
if(EXISTS "${_icons}/icon-theme.cache" AND _update_icons)
  execute_process(COMMAND "${_update_icons}" -q -t -f "${_icons}")
endif()

# Registration belongs to the machine the program runs on, not to a staged package.
if("$ENV{DESTDIR}" STREQUAL "")
  execute_process(COMMAND "${_folder}/kestrelbinder-shell" --register RESULT_VARIABLE _rc)
  if(_rc EQUAL 0)
    message(STATUS "Registered the shell extension: \"Split\" in the file managers' menus")
  else()
    message(WARNING "The shell extension could not be registered; run ${_folder}/kestrelbinder-shell --register")
  endif()
endif()
