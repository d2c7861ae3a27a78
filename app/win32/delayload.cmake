# Writes OUT/libDLL.a, a delay-load library for every function of the import library IMPORT.
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" entries "${symbols}")
set(def "LIBRARY ${DLL}.dll\nEXPORTS\n")
foreach(entry ${entries})
  string(REGEX REPLACE "^[0-9a-f]+ T " "" name "${entry}")
  if(NOT name MATCHES "^__imp_" AND NOT def MATCHES "\n${name}\n")
    string(APPEND def "${name}\n")
  endif()
endforeach()
file(MAKE_DIRECTORY ${OUT})
file(WRITE ${OUT}/${DLL}.def "${def}")
execute_process(COMMAND ${DLLTOOL} --input-def ${OUT}/${DLL}.def --dllname ${DLL}.dll
                        --output-delaylib ${OUT}/lib${DLL}.a COMMAND_ERROR_IS_FATAL ANY)
