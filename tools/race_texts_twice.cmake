# Runs race_texts twice on the same races and lap-time files: the two sets of
# dumps must be equal byte for byte, or a comparison of two builds would show
# differences that come from the tool (a temporary path, a time of day, an
# address) rather than from the program.
#   cmake -DTOOL=<race_texts> -DOUT=<folder> -DCORPUS=<tests/files/corpus> -P race_texts_twice.cmake

set(files ${CORPUS}/good-race.txt ${CORPUS}/good-exchange.txt ${CORPUS}/odd-cells.txt ${CORPUS}/truncated-mid-rows.txt)
foreach(run first second)
  file(REMOVE_RECURSE ${OUT}/${run})
  # Seeds 20..30: a printed report (20, 30) and a race past lap 250 (25).
  execute_process(COMMAND ${TOOL} --seeds 20-30 --out ${OUT}/${run} --files ${files}
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "race_texts failed (${rc}): ${err}")
  endif()
endforeach()

file(GLOB names RELATIVE ${OUT}/first ${OUT}/first/*)
list(LENGTH names count)
if(NOT count EQUAL 15)
  message(FATAL_ERROR "expected 15 dumps, got ${count}: ${names}")
endif()
foreach(name ${names})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/first/${name} ${OUT}/second/${name}
                  RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "two runs differ in ${name}: diff ${OUT}/first/${name} ${OUT}/second/${name}")
  endif()
endforeach()
