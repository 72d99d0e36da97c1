# zarpa.exe under wine: "-" as standard input and output gives the same bytes as files, an existing output
# is replaced only with --force, and no temporary file is left beside the outputs. Run with cmake -P;
# -DWINE_RUN= the wine launcher, -DZARPA= zarpa.exe, -DDLL= the plug-in, -DDIR= a scratch directory.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}")

# Runs zarpa.exe in DIR (standard output into OUTPUT_FILE if given); fails on an unexpected exit code.
function(zarpa expected_code)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OUTPUT_FILE" "")
  set(redirect)
  if(arg_OUTPUT_FILE)
    list(APPEND redirect OUTPUT_FILE "${DIR}/${arg_OUTPUT_FILE}")
  endif()
  execute_process(COMMAND "${WINE_RUN}" "${ZARPA}" ${arg_UNPARSED_ARGUMENTS} --plugin "Z:${DLL}"
                  WORKING_DIRECTORY "${DIR}" RESULT_VARIABLE code ERROR_VARIABLE err ${redirect})
  if(NOT code EQUAL expected_code)
    message(FATAL_ERROR "${arg_UNPARSED_ARGUMENTS}: exit ${code}, expected ${expected_code}\n${err}")
  endif()
endfunction()

function(expect_same a b)
  file(SHA256 "${DIR}/${a}" ha)
  file(SHA256 "${DIR}/${b}" hb)
  if(NOT ha STREQUAL hb)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

zarpa(0 demo src.wav --seconds 2 --quiet)
zarpa(0 render src.wav plain.wav --preset Default --quiet)
zarpa(0 render src.wav - --format wav --preset Default --quiet OUTPUT_FILE piped.wav)
expect_same(plain.wav piped.wav)
# The launcher gives its programs no standard input, so this one runs through a shell whose output goes to
# files (wine's background services must not inherit CTest's pipes).
execute_process(COMMAND bash -c "WINEDEBUG=-all wine \"$0\" render - fed.wav --preset Default --quiet --plugin \"$1\" \
                                 <src.wav >fed.out 2>fed.err" "${ZARPA}" "Z:${DLL}"
                WORKING_DIRECTORY "${DIR}" RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  file(READ "${DIR}/fed.err" err)
  message(FATAL_ERROR "render - fed.wav: exit ${code}\n${err}")
endif()
expect_same(plain.wav fed.wav)

file(WRITE "${DIR}/old.wav" "old")
zarpa(1 render src.wav old.wav --quiet)
file(READ "${DIR}/old.wav" kept)
if(NOT kept STREQUAL "old")
  message(FATAL_ERROR "old.wav was replaced without --force")
endif()
zarpa(0 render src.wav old.wav --preset Default --force --quiet)
expect_same(plain.wav old.wav)

file(GLOB leftovers "${DIR}/.zarpa-*")
if(leftovers)
  message(FATAL_ERROR "temporary files left: ${leftovers}")
endif()
