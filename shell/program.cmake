# Quillon.exe: the dialog program. Its Windows parts come from three
# folders: the application and main dialog (shell/), the element selection
# dialog (chem/) and the report display and Word output (report/). All but
# the application object are in the library qprogram, which the tests that
# run the main dialog in-process link as well; the resources go into each
# executable (a static library's resource object would not be linked).
enable_language(RC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_CURRENT_BINARY_DIR}/generated/version.h @ONLY)
add_library(qprogram STATIC
  ${CMAKE_CURRENT_LIST_DIR}/quillondlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quillonfiles.cpp
  ${PROJECT_SOURCE_DIR}/report/wordreport.cpp
  ${PROJECT_SOURCE_DIR}/chem/atomselect.cpp
  ${PROJECT_SOURCE_DIR}/report/outputdlg.cpp)
target_include_directories(qprogram PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(qprogram PUBLIC qframework qshellwin qwordout qshell qreport qchem qcommon
  user32 gdi32 comctl32 ole32)

add_executable(Quillon WIN32
  ${CMAKE_CURRENT_LIST_DIR}/quillon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quillon.rc)
set_target_properties(Quillon PROPERTIES OUTPUT_NAME Quillon SUFFIX ".exe")
target_link_libraries(Quillon PRIVATE qframework_main qprogram)
# No MinGW runtime DLLs beside it.
target_link_options(Quillon PRIVATE -static)
