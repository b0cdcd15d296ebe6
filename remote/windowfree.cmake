# Fails when one of FILES includes a header of Qt's window modules or of our window libraries.
# Run by the build (cmake -P) for remote_logic, whose include path lacks QtGui and QtWidgets but
# still reaches them as <QtWidgets/...> and reaches every header of this repository.
set(pattern "#[ \t]*include[ \t]*[<\"](Qt(Gui|Widgets|WebEngine[A-Za-z]*)/|skin/|platform/(application|automation|desktop|dialogs|windowdirectory)\\.h)")
string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
    file(STRINGS "${file}" found REGEX "${pattern}")
    if(found)
        message(FATAL_ERROR "${file} belongs to a window-free library but includes: ${found}")
    endif()
endforeach()
file(TOUCH "${STAMP}")
