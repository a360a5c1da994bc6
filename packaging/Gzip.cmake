# Compresses INPUT into OUTPUT the way Debian wants documentation compressed: best, and with no
# name or time stored, so a rebuild gives the same bytes. Run as a script
# (cmake -DINPUT=... -DOUTPUT=... -P Gzip.cmake) or included by one that sets both.
execute_process(COMMAND gzip -9 -n -c "${INPUT}"
                OUTPUT_FILE "${OUTPUT}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${INPUT}")
endif()
