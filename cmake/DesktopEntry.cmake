# The desktop-menu entry of an installed program folder.
#   cmake -DDIR=<program folder> [-DMENU_DIR=<applications folder>] -P DesktopEntry.cmake
# writes DIR/vorida.desktop and, when MENU_DIR is given, a copy there.
#
# Path and Icon are plain string values: blanks need nothing, only backslashes and control
# characters are escaped. Exec is a command line: the program's path is quoted, with ", `, $
# and \ escaped inside the quotes and % doubled, and then escaped as a string value too, so that
# a folder with blanks or any of those characters starts the right program.

function(vorida_desktop_string value out)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\n" "\\n" value "${value}")
    string(REPLACE "\t" "\\t" value "${value}")
    string(REPLACE "\r" "\\r" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(vorida_desktop_argument value out)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    string(REPLACE "`" "\\`" value "${value}")
    string(REPLACE "$" "\\$" value "${value}")
    string(REPLACE "%" "%%" value "${value}")
    vorida_desktop_string("\"${value}\"" value)
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

if(NOT DEFINED DIR)
    message(FATAL_ERROR "DesktopEntry.cmake: DIR is not set")
endif()
get_filename_component(dir "${DIR}" ABSOLUTE)
vorida_desktop_argument("${dir}/vorida" exec)
vorida_desktop_string("${dir}" path)
vorida_desktop_string("${dir}/vorida.png" icon)
file(WRITE "${dir}/vorida.desktop" "[Desktop Entry]
Type=Application
Name=Vorida
Comment=Przeliczanie współrzędnych: układ lokalny <-> 2000
Exec=${exec}
Path=${path}
Icon=${icon}
Terminal=false
Categories=Science;Geography;
")
if(DEFINED MENU_DIR AND NOT MENU_DIR STREQUAL "")
    file(MAKE_DIRECTORY "${MENU_DIR}")
    file(COPY "${dir}/vorida.desktop" DESTINATION "${MENU_DIR}")
endif()
