# The Windows framework layer (CWnd, CDialog, CDC, GDI wrappers, CWinApp,
# AfxMessageBox). A static library: every module links its own copy and so
# keeps its own handle map.
enable_language(RC)

add_library(quillon_framework STATIC
  afxwnd.cpp
  afxdlg.cpp
  afxgdi.cpp
  afxapp.cpp
  afxprof.cpp
  afxdisp.cpp
  afxfiledlg.cpp
  afxext.cpp)
target_link_libraries(quillon_framework PUBLIC quillon_string user32 gdi32 comctl32 ole32 oleaut32 uuid)

# WinMain for programs with an application object. An object library, so the
# entry point is linked whether or not anything else refers to it.
add_library(quillon_framework_main OBJECT appmain.cpp)
target_link_libraries(quillon_framework_main PUBLIC quillon_framework)
