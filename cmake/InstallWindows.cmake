# The Windows program folder: one folder, as a user unpacks or installs it.
#
#   hengjian.exe, hengjian-cli.exe     the programs
#   dat-default\                       default data files, copied into a fresh data folder
#   README.md
#   (a shared Qt: its DLLs and plugin folders, put there by windeployqt)
#
# The data folder is the program folder when it can be written (an unpacked zip), else
# %APPDATA%\衡鉴 (an installed copy under Program Files).

if(TARGET hengjian)
  install(TARGETS hengjian RUNTIME DESTINATION .)
endif()
if(TARGET hengjian-cli)
  install(TARGETS hengjian-cli RUNTIME DESTINATION .)
endif()
file(GLOB HJ_INSTALL_DEFAULT_DATA CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/dat/*)
list(FILTER HJ_INSTALL_DEFAULT_DATA EXCLUDE REGEX "/README[^/]*$")
install(FILES ${HJ_INSTALL_DEFAULT_DATA} DESTINATION dat-default)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

# A shared Qt (Qt's own Windows kit): its DLLs, plugins and translations beside the program, and
# the compiler's runtime DLLs.
# A static Qt (the cross build's) is inside the program already.
if(TARGET hengjian AND TARGET Qt6::Core)
  get_target_property(HJ_QT_TYPE Qt6::Core TYPE)
  if(NOT HJ_QT_TYPE STREQUAL "STATIC_LIBRARY")
    set(HJ_QT_BIN "${Qt6_DIR}/../../../bin")
    if(TARGET Qt6::qmake)
      get_target_property(HJ_QMAKE Qt6::qmake IMPORTED_LOCATION)
      get_filename_component(HJ_QT_BIN "${HJ_QMAKE}" DIRECTORY)
    endif()
    find_program(HJ_WINDEPLOYQT windeployqt HINTS "${HJ_QT_BIN}")
    if(HJ_WINDEPLOYQT)
      install(CODE "
        message(STATUS \"windeployqt: the Qt libraries and plugins of hengjian.exe\")
        execute_process(COMMAND \"${HJ_WINDEPLOYQT}\" --release --compiler-runtime
                                --dir \"\${CMAKE_INSTALL_PREFIX}\" \"\${CMAKE_INSTALL_PREFIX}/hengjian.exe\"
                        COMMAND_ERROR_IS_FATAL ANY)")
    else()
      message(WARNING "windeployqt not found in Qt's bin folder: the install lacks the Qt libraries")
    endif()
  endif()
endif()

# The installer (make package-windows): the NSIS script, with the version filled in.
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/hengjian.nsi.in ${CMAKE_BINARY_DIR}/hengjian.nsi @ONLY)
