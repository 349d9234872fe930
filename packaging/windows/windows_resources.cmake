# kivo.exe's resources (packaging/windows/kivo.rc): the manifest with the project's version, a
# multi-size icon rendered from packaging/icons/kivo.svg (rsvg-convert, then packed by icotool
# from icoutils), and the version details from project(VERSION). Also strips the built kivo.exe and
# keeps its debugging information in kivo.debug beside it (linked by .gnu_debuglink).
#
#   kivo_add_windows_resources(TARGET)
set(KIVO_ICON_SIZES 16 20 24 32 40 48 64 96 128 256)

function(kivo_add_windows_resources target)
  enable_language(RC)
  find_program(KIVO_RSVG_CONVERT rsvg-convert REQUIRED)
  find_program(KIVO_ICOTOOL icotool REQUIRED)
  set(here ${CMAKE_SOURCE_DIR}/packaging/windows)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/windows_resources)
  file(MAKE_DIRECTORY ${out})

  set(KIVO_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
  configure_file(${here}/kivo.manifest ${out}/kivo.manifest @ONLY)

  set(svg ${CMAKE_SOURCE_DIR}/packaging/icons/kivo.svg)
  set(pngs "")
  set(render "")
  foreach(size ${KIVO_ICON_SIZES})
    # The 256-pixel picture stays PNG inside the .ico, as Windows Vista and later read it; the
    # smaller ones become the classic bitmaps every Windows reads.
    if(size EQUAL 256)
      list(APPEND pngs --raw=${out}/kivo-${size}.png)
    else()
      list(APPEND pngs ${out}/kivo-${size}.png)
    endif()
    list(APPEND render COMMAND ${KIVO_RSVG_CONVERT} -w ${size} -h ${size} -o
         ${out}/kivo-${size}.png ${svg})
  endforeach()
  add_custom_command(OUTPUT ${out}/kivo.ico
                     ${render}
                     COMMAND ${KIVO_ICOTOOL} --create --output=${out}/kivo.ico ${pngs}
                     DEPENDS ${svg}
                     COMMENT "Rendering kivo.ico from kivo.svg"
                     VERBATIM)
  add_custom_target(kivo_icon DEPENDS ${out}/kivo.ico)

  target_sources(${target} PRIVATE ${here}/kivo.rc)
  set_source_files_properties(${here}/kivo.rc PROPERTIES
    OBJECT_DEPENDS "${out}/kivo.ico;${out}/kivo.manifest;${here}/kivo.manifest")
  target_include_directories(${target} PRIVATE ${out})
  target_compile_definitions(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:RC>:KIVO_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}>
    $<$<COMPILE_LANGUAGE:RC>:KIVO_VERSION_MINOR=${PROJECT_VERSION_MINOR}>)
  add_dependencies(${target} kivo_icon)

  if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}>
              $<TARGET_FILE_DIR:${target}>/${target}.debug
      COMMAND ${CMAKE_STRIP} --strip-debug --strip-unneeded $<TARGET_FILE:${target}>
      COMMAND ${CMAKE_COMMAND} -E chdir $<TARGET_FILE_DIR:${target}> ${CMAKE_OBJCOPY}
              --add-gnu-debuglink=${target}.debug $<TARGET_FILE_NAME:${target}>
      COMMENT "Stripping ${target}.exe (debugging information in ${target}.debug)"
      VERBATIM)
  endif()
endfunction()
