# The desktop entry of an install folder whose path holds blanks and the characters a command
# line treats specially: Exec must name exactly that program, Path and Icon that folder.
#   cmake -DSCRIPT=cmake/DesktopEntry.cmake -DWORK=<scratch folder> -P desktop_entry_test.cmake
set(dir "${WORK}/Pro gram \"x\" $HOME %u")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${dir}")
execute_process(COMMAND "${CMAKE_COMMAND}" "-DDIR=${dir}" "-DMENU_DIR=${WORK}/menu"
                        -P "${SCRIPT}" COMMAND_ERROR_IS_FATAL ANY)

file(STRINGS "${dir}/vorida.desktop" lines)
set(expected
    "Exec=\"${WORK}/Pro gram \\\\\"x\\\\\" \\\\$HOME %%u/vorida\" %f"
    "Path=${WORK}/Pro gram \"x\" $HOME %u"
    "Icon=${WORK}/Pro gram \"x\" $HOME %u/vorida.png")
foreach(line IN LISTS expected)
    list(FIND lines "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "missing line:\n${line}\nin:\n${lines}")
    endif()
endforeach()
file(READ "${dir}/vorida.desktop" entry)
# The program opens a folder: a file manager offers it under "Open with" for folders.
string(FIND "${entry}" "\nMimeType=inode/directory;\n" found)
if(found EQUAL -1)
    message(FATAL_ERROR "no MimeType=inode/directory; line in:\n${entry}")
endif()
file(READ "${WORK}/menu/vorida.desktop" copy)
if(NOT entry STREQUAL copy)
    message(FATAL_ERROR "the menu's copy differs from the folder's entry")
endif()
# The area window's entry: its own program in the same folder.
file(STRINGS "${dir}/vorida-obszar.desktop" lines ENCODING UTF-8)
foreach(line "Name=Vorida – kontrola obszaru"
             "Exec=\"${WORK}/Pro gram \\\\\"x\\\\\" \\\\$HOME %%u/vorida-obszar\""
             "Path=${WORK}/Pro gram \"x\" $HOME %u")
    list(FIND lines "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "missing line:\n${line}\nin:\n${lines}")
    endif()
endforeach()
if(NOT EXISTS "${WORK}/menu/vorida-obszar.desktop")
    message(FATAL_ERROR "no menu copy of vorida-obszar.desktop")
endif()
