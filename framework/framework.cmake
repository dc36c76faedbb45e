# The Windows framework layer (CWnd, CDialog, CDC, GDI wrappers, CWinApp,
# AfxMessageBox). A static library: every module links its own copy and so
# keeps its own handle map.
enable_language(RC)

add_library(qframework STATIC
  ${CMAKE_CURRENT_LIST_DIR}/afxwnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/afxdlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/afxgdi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/afxapp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/afxprof.cpp
  ${CMAKE_CURRENT_LIST_DIR}/afxdisp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/afxfiledlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/afxext.cpp)
target_include_directories(qframework PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(qframework PUBLIC qfw_string user32 gdi32 comdlg32 comctl32 ole32 oleaut32 uuid)

# WinMain for programs with an application object. An object library, so the
# entry point is linked whether or not anything else refers to it.
add_library(qframework_main OBJECT ${CMAKE_CURRENT_LIST_DIR}/appmain.cpp)
target_link_libraries(qframework_main PUBLIC qframework)
