# Checks the built DLL with objdump: a 64-bit image, importing only Windows' own DLLs, exporting
# VSTPluginMain and main, with the wide builds of the kernel.
# Run as: cmake -DDLL=<path> -DOBJDUMP=<objdump> -P check_dll.cmake
cmake_policy(VERSION 3.25)

if(NOT DLL OR NOT EXISTS "${DLL}")
  message(FATAL_ERROR "no DLL to check: '${DLL}'")
endif()
if(NOT OBJDUMP)
  set(OBJDUMP x86_64-w64-mingw32-objdump)
endif()

execute_process(COMMAND ${OBJDUMP} -p "${DLL}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p failed on ${DLL}")
endif()

if(NOT dump MATCHES "Magic[ \t]+020b")
  message(FATAL_ERROR "${DLL} is not a 64-bit (PE32+) image")
endif()

# Windows' own DLLs; the C++ runtime, libgcc and winpthread must be linked in, not imported.
set(allowed kernel32.dll msvcrt.dll user32.dll gdi32.dll advapi32.dll comdlg32.dll ole32.dll oleaut32.dll
            shell32.dll comctl32.dll uuid.dll winmm.dll ws2_32.dll)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "no import table found in ${DLL}")
endif()
set(bad "")
foreach(line ${imports})
  string(REGEX REPLACE "DLL Name: *" "" name "${line}")
  string(STRIP "${name}" name)
  string(TOLOWER "${name}" lower)
  message(STATUS "imports ${name}")
  if(NOT lower IN_LIST allowed)
    list(APPEND bad "${name}")
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "${DLL} imports DLLs that are not part of Windows: ${bad}")
endif()

# Export table lines look like "[   0] +base[   1] 0000 VSTPluginMain" or "[   0] VSTPluginMain".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table.*" exports "${dump}")
foreach(entry VSTPluginMain main)
  if(NOT exports MATCHES "\\][ \t]+${entry}[\r\n]")
    message(FATAL_ERROR "${DLL} does not export ${entry}")
  endif()
  message(STATUS "exports ${entry}")
endforeach()

# The kernel's AVX2 and AVX-512 builds are in the DLL (256- and 512-bit instructions), and none of their
# vector moves demands an alignment the Windows stack does not give (aligned moves are encoded unaligned).
foreach(check "ymm;AVX2" "zmm;AVX-512")
  list(GET check 0 register)
  list(GET check 1 set)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn "${DLL}" COMMAND grep -c -E "%${register}[0-9]"
                  OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT count OR count EQUAL 0)
    message(FATAL_ERROR "${DLL} has no ${register} instruction: the ${set} build of the kernel is missing")
  endif()
  message(STATUS "${count} instructions on ${register} registers")
endforeach()
execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn "${DLL}"
                COMMAND grep -c -E "vmov(apd|aps|dqa|dqa32|dqa64)[^%]*%[yz]mm.*\\(%r[sb]p\\)|vmov(apd|aps|dqa|dqa32|dqa64)[^(]*\\(%r[sb]p\\),[^%]*%[yz]mm"
                OUTPUT_VARIABLE aligned OUTPUT_STRIP_TRAILING_WHITESPACE)
if(aligned AND NOT aligned EQUAL 0)
  message(FATAL_ERROR "${DLL} has ${aligned} aligned 256/512-bit moves to or from the stack")
endif()
