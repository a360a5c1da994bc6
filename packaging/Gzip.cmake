# Compresses INPUT into OUTPUT the way Debian wants documentation compressed (best, no name or
# time stored). Run as a script: cmake -DINPUT=... -DOUTPUT=... -P Gzip.cmake
execute_process(COMMAND gzip -9 -n -c "${INPUT}"
                OUTPUT_FILE "${OUTPUT}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${INPUT}")
endif()
