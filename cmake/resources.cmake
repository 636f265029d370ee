# Adds the launcher's resources (dialog, strings, icon) to a target. The
# tests link them too: the code under test loads its strings from the
# running program's own module. The icon is drawn once per build tree, in one
# place, so that targets of any directory can share it.
function(add_launcher_resources target)
  set(icon_dir ${PROJECT_BINARY_DIR}/launcher_icon)
  set(icon ${icon_dir}/autorun.ico)
  if(NOT TARGET launcher_icon)
    add_custom_command(
      OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
      COMMAND python3 ${PROJECT_SOURCE_DIR}/cmake/make_icon.py ${icon}
      DEPENDS ${PROJECT_SOURCE_DIR}/cmake/make_icon.py
      COMMENT "Drawing the launcher's icon")
    add_custom_target(launcher_icon DEPENDS ${icon})
  endif()
  set(rc ${PROJECT_SOURCE_DIR}/src/resources/autorun.rc)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS
    "${icon};${PROJECT_SOURCE_DIR}/src/resources/autorun.manifest")
  target_sources(${target} PRIVATE ${rc})
  add_dependencies(${target} launcher_icon)
  # windres finds the generated icon in its folder of the build tree, the
  # manifest beside the script.
  target_include_directories(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:RC>:${icon_dir};${PROJECT_SOURCE_DIR}/src/resources>)
endfunction()
