# Fails when an include runs against the layers. Usage: cmake -DROOT=<source tree> -P check_layers.cmake
# Only the tree's own includes in quotes count ("folder/file.h"); the standard library is free to all.
if(NOT ROOT)
  message(FATAL_ERROR "ROOT not set")
endif()

set(_violations "")

# The files of the folders given, relative to ROOT (headers and sources).
function(layer_files out)
  set(_files "")
  foreach(dir ${ARGN})
    file(GLOB_RECURSE _found RELATIVE ${ROOT} ${ROOT}/${dir}/*.h ${ROOT}/${dir}/*.cpp)
    list(APPEND _files ${_found})
  endforeach()
  set(${out} ${_files} PARENT_SCOPE)
endfunction()

# With ONLY, every file given may include only paths matching the pattern (a regular expression); with
# NONE, no path matching it.
function(check_includes rule mode pattern)
  foreach(file ${ARGN})
    file(STRINGS ${ROOT}/${file} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${_lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" _target "${line}")
      if(NOT _target MATCHES "/" )
        continue()  # a file beside it in its own folder
      endif()
      if(_target MATCHES "${pattern}")
        set(_matches TRUE)
      else()
        set(_matches FALSE)
      endif()
      if((mode STREQUAL "NONE" AND _matches) OR (mode STREQUAL "ONLY" AND NOT _matches))
        list(APPEND _violations "${rule}: ${file} includes ${_target}")
      endif()
    endforeach()
  endforeach()
  set(_violations ${_violations} PARENT_SCOPE)
endfunction()

# The signal path includes only itself.
layer_files(_dsp engine/dsp)
check_includes("engine/dsp includes only engine/dsp" ONLY "^engine/dsp/" ${_dsp})

# The engine (parameters, processor) includes only the engine: no editor, toolkit, host, presets or platform.
layer_files(_engine engine)
check_includes("engine includes only engine" ONLY "^engine/" ${_engine})

# The toolkit knows only itself, the platform and the plain glyph type.
layer_files(_toolkit toolkit)
check_includes("toolkit includes nothing of the plug-in" ONLY "^(toolkit|platform|graphics)/" ${_toolkit})

# The host binding knows only itself and the platform.
layer_files(_host host)
check_includes("host includes only host and platform" ONLY "^(host|platform)/" ${_host})

# The preset system has no GUI.
layer_files(_presets presets)
check_includes("presets include no GUI" ONLY "^(presets|records|host|platform)/" ${_presets})

# The renderer is a host: the record layout, the host library and the glyph tables, nothing of the plug-in.
layer_files(_cli cli hostlib)
check_includes("cli and hostlib include nothing of the plug-in" ONLY "^(cli|hostlib|records|graphics|resources/font\\.h|host/vst2\\.h)" ${_cli})

# Only the toolkit, the editor and tools (tests, benchmarks, fuzz targets) include the toolkit.
file(GLOB _top RELATIVE ${ROOT} ${ROOT}/*)
set(_others "")
foreach(dir ${_top})
  if(IS_DIRECTORY ${ROOT}/${dir} AND NOT dir MATCHES "^(toolkit|editor|tools|tests|bench|fuzz|build.*|\\..*)$")
    list(APPEND _others ${dir})
  endif()
endforeach()
layer_files(_outside ${_others})
check_includes("only the toolkit, the editor and tools include the toolkit" NONE "^toolkit/" ${_outside})

list(LENGTH _violations _count)
if(_count GREATER 0)
  list(JOIN _violations "\n  " _text)
  message(FATAL_ERROR "Includes against the layers:\n  ${_text}")
endif()
message(STATUS "Every include runs with the layers")
