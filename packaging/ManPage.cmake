# Writes a program's manual page, compressed, from what the program prints for --help.
# Run as a script: cmake -DPROGRAM=... -DHELP2ROFF=... -DNAME=... -DSUMMARY=... -DVERSION=...
#   -DDATE=... -DSEE_ALSO=a,b -DOUTPUT=.../name.1.gz -P ManPage.cmake
foreach(variable PROGRAM HELP2ROFF NAME SUMMARY VERSION DATE OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "ManPage.cmake: ${variable} is not set")
  endif()
endforeach()

get_filename_component(folder "${OUTPUT}" DIRECTORY)
set(help "${folder}/${NAME}.help")
set(page "${folder}/${NAME}.1")

# Sanitizer builds run the program too; what a help text leaves behind is not a finding here.
set(ENV{ASAN_OPTIONS} "detect_leaks=0")
set(ENV{QT_QPA_PLATFORM} "offscreen")
execute_process(COMMAND "${PROGRAM}" --help
                OUTPUT_FILE "${help}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NAME} --help ended with ${status}")
endif()

execute_process(COMMAND "${HELP2ROFF}" --name "${NAME}" --summary "${SUMMARY}"
                        --version "${VERSION}" --date "${DATE}" --see-also "${SEE_ALSO}"
                        --input "${help}" --output "${page}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2roff failed for ${NAME}")
endif()

set(INPUT "${page}")
include(${CMAKE_CURRENT_LIST_DIR}/Gzip.cmake)
