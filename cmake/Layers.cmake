# k3_layer(NAME FOLDERS folder... [DEPS layer...] CORE source... [WIN source...])
#
# Makes k3<NAME>_core (portable sources, every tree) and, on Windows,
# k3<NAME> (Win32 sources, linking the core and the Win32 libraries of the
# layers below). Both are compiled against an include root of their own in
# the build tree that links to the layer's folders only; the roots of the
# layers below come with the libraries they link. An include of a folder of a
# higher layer is therefore not found.

# Options of every Win32 library and program of the project.
if(WIN32 AND NOT TARGET k3_win32)
  add_library(k3_win32 INTERFACE)
  target_compile_definitions(k3_win32 INTERFACE UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  target_link_options(k3_win32 INTERFACE -static)
  target_link_libraries(k3_win32 INTERFACE
    gdiplus msimg32 comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid
    advapi32 version wininet gdi32 user32 kernel32)
endif()

function(k3_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 L "" "" "FOLDERS;DEPS;CORE;WIN")
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS L_FOLDERS)
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()

  set(core k3${name}_core)
  add_library(${core} STATIC ${L_CORE})
  target_include_directories(${core} PUBLIC ${root})
  target_link_libraries(${core} PRIVATE k3_warnings)
  foreach(dep IN LISTS L_DEPS)
    target_link_libraries(${core} PUBLIC k3${dep}_core)
  endforeach()
  # The kernels never read errno: square roots then compile to one
  # instruction. Results are unchanged (the instruction is correctly
  # rounded, like the call).
  target_compile_options(${core} PRIVATE -fno-math-errno)

  if(WIN32 AND L_WIN)
    set(win k3${name})
    add_library(${win} STATIC ${L_WIN})
    target_include_directories(${win} PUBLIC ${root})
    target_link_libraries(${win} PUBLIC ${core} k3_win32 PRIVATE k3_warnings)
    foreach(dep IN LISTS L_DEPS)
      target_link_libraries(${win} PUBLIC k3${dep})
    endforeach()
  endif()
endfunction()
