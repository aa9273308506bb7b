# The desktop-menu entry of an installed program folder.
#   cmake -DDIR=<program folder> [-DMENU_DIR=<applications folder>] -P DesktopEntry.cmake
# writes DIR/vorida.desktop and DIR/vorida-obszar.desktop ("Vorida – kontrola obszaru") and,
# when MENU_DIR is given, a copy of each there.
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
vorida_desktop_string("${dir}" path)
vorida_desktop_string("${dir}/vorida.png" icon)

# One entry for a program of the folder: its file, the entry's file, its name and comment, and
# optionally what it opens: the field codes after the program (%f, a file or folder) and the
# MIME types a file manager offers it for.
function(vorida_desktop_entry program file name comment)
    cmake_parse_arguments(PARSE_ARGV 4 opt "" "OPENS;MIME" "")
    vorida_desktop_argument("${dir}/${program}" exec)
    if(opt_OPENS)
        string(APPEND exec " ${opt_OPENS}")
    endif()
    set(mime "")
    if(opt_MIME)
        set(mime "MimeType=${opt_MIME}\n")
    endif()
    file(WRITE "${dir}/${file}" "[Desktop Entry]
Type=Application
Name=${name}
Comment=${comment}
Exec=${exec}
Path=${path}
Icon=${icon}
Terminal=false
Categories=Science;Geography;
${mime}")
    if(DEFINED MENU_DIR AND NOT MENU_DIR STREQUAL "")
        file(MAKE_DIRECTORY "${MENU_DIR}")
        file(COPY "${dir}/${file}" DESTINATION "${MENU_DIR}")
    endif()
endfunction()

# The program works on the folder it is given (or the folder of a file): "Open with" on a
# folder in a file manager.
vorida_desktop_entry(vorida vorida.desktop "Vorida"
                     "Przeliczanie współrzędnych: układ lokalny <-> 2000"
                     OPENS "%f" MIME "inode/directory;")
vorida_desktop_entry(vorida-obszar vorida-obszar.desktop "Vorida – kontrola obszaru"
                     "Jakość obszaru przeliczeń: odchyłki punktów dostosowania, błędy grube, rysunek")
