# zarpa.exe under wine on the DLL: a true-peak ceiling and a loudness target met on the written files (as
# zarpa's own meter reads them back), dither by default, and renders apart from a default preset stored
# in the registry. Run with cmake -P; -DWINE_RUN= the wine launcher, -DZARPA= zarpa.exe, -DDLL= the
# plug-in, -DDIR= a scratch directory.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}")

# Runs a wine program in DIR; fails the test on an unexpected exit code. Sets OUT, ERR.
function(run expected_code)
  execute_process(COMMAND "${WINE_RUN}" ${ARGN} WORKING_DIRECTORY "${DIR}" RESULT_VARIABLE code
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL expected_code)
    message(FATAL_ERROR "${ARGN}: exit ${code}, expected ${expected_code}\n${out}\n${err}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
  set(ERR "${err}" PARENT_SCOPE)
endfunction()

function(zarpa expected_code)
  run(${expected_code} "${ZARPA}" ${ARGN} --plugin "Z:${DLL}")
  set(OUT "${OUT}" PARENT_SCOPE)
  set(ERR "${ERR}" PARENT_SCOPE)
endfunction()

function(expect_at_most what value limit)
  if(value GREATER limit)
    message(FATAL_ERROR "${what} is ${value}, more than ${limit}")
  endif()
endfunction()

# A hot float source: the demo mix passed through unlimited, clipped at full scale, its true peaks above it.
zarpa(0 demo hot.wav --seconds 6 --bits 32 --preset Default --set Power=off --quiet)

# The ceiling, read back from the written file.
zarpa(0 render hot.wav ceiling.wav --ceiling -1dBTP --bits 24 --json)
string(JSON passes GET "${OUT}" delivery passes)
zarpa(0 analyze ceiling.wav --json)
string(JSON peak GET "${OUT}" 0 figures true_peak_dbtp)
expect_at_most("true peak after --ceiling -1dBTP" ${peak} -1.0)
expect_at_most("true peak after --ceiling -1dBTP (lowered too far)" -1.5 ${peak})
message(STATUS "ceiling: ${passes} passes, true peak ${peak} dBTP")

# The loudness target with its default ceiling, dithered to 16 bits.
zarpa(0 render hot.wav target.wav --target-lufs -16 --bits 16 --json)
string(JSON word_length GET "${OUT}" word_length)
if(NOT word_length MATCHES "^dithered to 16 bits by the plug-in's requantizer")
  message(FATAL_ERROR "a 16-bit file from a float one is not dithered: ${word_length}")
endif()
zarpa(0 analyze target.wav --json)
string(JSON lufs GET "${OUT}" 0 figures integrated_lufs)
string(JSON peak GET "${OUT}" 0 figures true_peak_dbtp)
expect_at_most("true peak with --target-lufs" ${peak} -1.0)
if(lufs LESS -16.1 OR lufs GREATER -15.9)
  message(FATAL_ERROR "--target-lufs -16 gave ${lufs} LUFS")
endif()
zarpa(0 render hot.wav plain.wav --bits 16 --no-dither --json)
string(JSON conversion GET "${OUT}" output conversion)
if(NOT conversion MATCHES "rounded without dither")
  message(FATAL_ERROR "--no-dither: ${conversion}")
endif()
zarpa(2 render hot.wav never.wav --target-lufs -1 --bits 16)

# A default preset stored in the registry: program 15 of a saved state renamed.
zarpa(0 params --preset "TV Hot" --save-chunk state.bin)
file(READ "${DIR}/state.bin" program HEX OFFSET 1952 LIMIT 128)  # 32 + 128 * 15
string(SUBSTRING "${program}" 48 208 values)
set(name "53746f7265642044656661756c74000000000000000000000000")  # "Stored Default", zero-filled to 24 bytes
string(SUBSTRING "${name}" 0 48 name)
set(key "HKCU\\Software\\OKA-tonelab\\OKAzarpa")
run(0 reg add "${key}" /v DefaultPreset /t REG_BINARY /d "727a4b4f21${name}${values}" /f)
zarpa(0 presets --user-settings)
if(NOT OUT MATCHES " 0  Stored Default")
  message(FATAL_ERROR "--user-settings does not see the stored default preset:\n${OUT}")
endif()
run(0 reg query "${key}")
set(before "${OUT}")

zarpa(0 presets)
if(NOT OUT MATCHES " 0  Default\r?\n")
  message(FATAL_ERROR "presets sees the stored default preset:\n${OUT}")
endif()
zarpa(0 render hot.wav isolated.wav --quiet)
zarpa(0 params --json)
run(0 reg query "${key}")
if(NOT OUT STREQUAL before)
  message(FATAL_ERROR "the registry changed:\nbefore:\n${before}\nafter:\n${OUT}")
endif()
run(1 reg query "HKCU\\Software\\Zarpa renderer (private runs)")  # the private key is gone
run(0 reg delete "${key}" /f)
file(REMOVE_RECURSE "${DIR}")
