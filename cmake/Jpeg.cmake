# k3_jpeg: libjpeg-turbo for the scaled JPEG decoding. The native tree uses
# Debian's (libjpeg62-turbo-dev); the Windows trees use a static build of
# the same version made from Debian's source package by
# scripts/build/libjpeg-turbo.sh, which the first configure runs.
if(TARGET k3_jpeg)
  return()
endif()
add_library(k3_jpeg INTERFACE)
if(WIN32)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
    set(k3_jpeg_tree win64)
  else()
    set(k3_jpeg_tree win32)
  endif()
  set(K3_JPEG_ROOT ${CMAKE_SOURCE_DIR}/build/third_party/${k3_jpeg_tree} CACHE PATH "libjpeg-turbo for Windows")
  if(NOT EXISTS ${K3_JPEG_ROOT}/lib/libjpeg.a)
    execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/build/libjpeg-turbo.sh ${k3_jpeg_tree}
                    RESULT_VARIABLE k3_jpeg_result)
    if(NOT k3_jpeg_result EQUAL 0 OR NOT EXISTS ${K3_JPEG_ROOT}/lib/libjpeg.a)
      message(FATAL_ERROR "libjpeg-turbo for ${k3_jpeg_tree} could not be built (scripts/build/libjpeg-turbo.sh)")
    endif()
  endif()
  target_include_directories(k3_jpeg SYSTEM INTERFACE ${K3_JPEG_ROOT}/include)
  target_link_libraries(k3_jpeg INTERFACE ${K3_JPEG_ROOT}/lib/libjpeg.a)
else()
  find_package(JPEG REQUIRED)
  target_link_libraries(k3_jpeg INTERFACE JPEG::JPEG)
endif()
