# Quillon.exe: the dialog program. Its Windows parts come from three
# folders: the application and main dialog (shell/), the element selection
# dialog (chem/) and the report display (report/).
enable_language(RC)
add_executable(Quillon WIN32
  ${CMAKE_CURRENT_LIST_DIR}/quillon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quillondlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quillonfiles.cpp
  ${PROJECT_SOURCE_DIR}/report/wordreport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quillon.rc
  ${PROJECT_SOURCE_DIR}/chem/atomselect.cpp
  ${PROJECT_SOURCE_DIR}/report/outputdlg.cpp)
set_target_properties(Quillon PROPERTIES OUTPUT_NAME Quillon SUFFIX ".exe")
target_include_directories(Quillon PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(Quillon PRIVATE qframework_main qframework qshellwin qwordout qshell qreport qchem qcommon
  user32 gdi32 comctl32 ole32)
# No MinGW runtime DLLs beside it.
target_link_options(Quillon PRIVATE -static)
